#include "forms/NumberDialog.h"

#include "components/editupdown/EditUpDown.h"
#include "framework/StdCtrls.h"

void TNumberDialog::DeclareDialogBindings(TBindings& b)
{
    b.Field("ButtonCancel", ButtonCancel);
    b.Field("ButtonOK", ButtonOK);
    b.Method("ButtonOKClick", this, &TNumberDialog::ButtonOKClick);
    b.Method("ButtonCancelClick", this, &TNumberDialog::ButtonCancelClick);
    b.Method("FormKeyPress", this, &TNumberDialog::FormKeyPress);
}

void TNumberDialog::ShowNumber(int16_t value)
{
    NumberEdit()->SetPosition(value);
    NumberEdit()->SetFocus();
    NumberEdit()->SelectAll(); // typing at once replaces it
}

void TNumberDialog::ButtonOKClick(TComponent*)
{
    // Only the value the user sees is taken; anything else keeps the dialog open.
    if (!NumberEdit()->TakeText()) {
        NumberEdit()->SetFocus();
        NumberEdit()->SelectAll();
        return;
    }
    NumberChosen(NumberEdit()->Position());
    Close();
}

void TNumberDialog::ButtonCancelClick(TComponent*) { Close(); }

void TNumberDialog::FormKeyPress(TComponent*, wchar_t& Key)
{
    if (!NumberEdit()->Focused()) return;
    if (Key == L'\r') {
        ButtonOK->SetFocus();
        Key = 0;
    } else if (Key == 27) {
        ButtonCancel->SetFocus();
        Key = 0;
    }
}
