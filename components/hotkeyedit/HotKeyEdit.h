#pragma once
// The system's hotkey control: shows the key combination typed into it, as the
// control's word (low byte the virtual key, high byte the HOTKEYF_* flags).
#include "framework/WinControl.h"

class THotKey : public TWinControl {
public:
    static constexpr const char* ClassName = "THotKey";
    explicit THotKey(TComponent* owner);

    // The key shown, or the stored one while there is no window.
    WORD HotKey();
    void SetHotKey(WORD hotKey);
    // Combinations the control does not take (HKCOMB_*), and the modifiers (HOTKEYF_*) it
    // puts in their place.
    void SetRules(WORD invalid, WORD modifiers);

    bool SetProperty(std::string_view name, const TValue& value, TReader& reader) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;

private:
    WORD FHotKey = 0;
    WORD FInvalid = 0;
    WORD FModifiers = 0;
};
