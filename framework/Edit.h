#pragma once
#include "framework/WinControl.h"

// A one-line edit over the platform's EDIT window.
class TCustomEdit : public TWinControl {
public:
    static constexpr const char* ClassName = "TCustomEdit";
    explicit TCustomEdit(TComponent* owner);

    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool readOnly);
    // The limit on typed text, in characters (EM_LIMITTEXT); creates the window.
    void SetMaxLength(int length);
    void SelectAll() { Perform(EM_SETSEL, 0, -1); }

    bool SetProperty(std::string_view name, const TValue& value, TReader& reader) override;

    TNotifyEvent OnChange;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void Command(WORD code) override;
    void TextChanged() override { Change(); }
    // After every change of the text, typed or set; the base raises OnChange.
    virtual void Change();

private:
    bool FReadOnly = false;
};
