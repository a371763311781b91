#pragma once
// The hotkey dialog: the key that switches the screen saver on and off, or none.
#include "framework/Form.h"

#include <functional>

class TButton;
class THotKey;
class TLabel;
class TPanel;

class TFormHotKey : public TForm {
public:
    static constexpr const char* ClassName = "TFormHotKey";
    static const char* const Description;

    explicit TFormHotKey(TComponent* owner) : TForm(owner) { }

    TPanel* PanelHotKey = nullptr;
    TLabel* LabelMsg = nullptr;
    TLabel* LabelHotKey = nullptr;
    THotKey* HotKeyEdit = nullptr;
    TButton* ButtonNone = nullptr;
    TButton* ButtonCancel = nullptr;
    TButton* ButtonOK = nullptr;

    // Opens showing `hotKey` (0: none), with the focus in the control: pressing keys at once sets them.
    void ShowKey(WORD hotKey);

    void ButtonNoneClick(TComponent* Sender);
    void ButtonOKClick(TComponent* Sender);
    void ButtonCancelClick(TComponent* Sender);
    void FormClose(TComponent* Sender, TCloseAction& Action);

    // OK with the key shown (0: none); false when it cannot be had, which keeps the dialog open.
    std::function<bool(WORD hotKey)> OnChosen;
    // Cancel, Esc or the close box.
    std::function<void()> OnCancelled;

protected:
    void DeclareBindings(TBindings& b) override;
};
