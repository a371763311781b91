#pragma once
// A small dialog that asks for a whole number in a spin edit, with OK and
// キャンセル: what the wait-time dialog and the hold dialog share.
#include "framework/Form.h"

#include <cstdint>

class TButton;
class TEditUpDown;

class TNumberDialog : public TForm {
public:
    explicit TNumberDialog(TComponent* owner) : TForm(owner) { }

    TButton* ButtonCancel = nullptr;
    TButton* ButtonOK = nullptr;

    void ButtonOKClick(TComponent* Sender);
    void ButtonCancelClick(TComponent* Sender);
    void FormKeyPress(TComponent* Sender, wchar_t& Key);

    virtual TEditUpDown* NumberEdit() const = 0;

protected:
    // The buttons and the handlers that every such dialog's description binds.
    void DeclareDialogBindings(TBindings& b);
    // Shows `value` selected, with the focus in the edit: typing at once replaces it.
    void ShowNumber(int16_t value);
    // OK with a number shown; the dialog closes after.
    virtual void NumberChosen(int value) = 0;
};
