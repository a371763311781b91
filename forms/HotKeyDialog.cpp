#include "forms/HotKeyDialog.h"

#include "components/hotkeyedit/HotKeyEdit.h"
#include "forms/HotKeyDialogDescription.h"
#include "framework/Application.h"
#include "framework/MessageBox.h"
#include "framework/StdCtrls.h"
#include "framework/Text.h"

const char* const TFormHotKey::Description = HotKeyDialogDescription;

void TFormHotKey::DeclareBindings(TBindings& b)
{
    b.Field("PanelHotKey", PanelHotKey);
    b.Field("LabelMsg", LabelMsg);
    b.Field("LabelHotKey", LabelHotKey);
    b.Field("HotKeyEdit", HotKeyEdit);
    b.Field("ButtonNone", ButtonNone);
    b.Field("ButtonCancel", ButtonCancel);
    b.Field("ButtonOK", ButtonOK);
    b.Method("ButtonNoneClick", this, &TFormHotKey::ButtonNoneClick);
    b.Method("ButtonOKClick", this, &TFormHotKey::ButtonOKClick);
    b.Method("ButtonCancelClick", this, &TFormHotKey::ButtonCancelClick);
    b.Method("FormClose", this, &TFormHotKey::FormClose);
}

void TFormHotKey::ShowKey(WORD hotKey)
{
    HotKeyEdit->SetHotKey(hotKey);
    HotKeyEdit->SetFocus();
    Show();
}

void TFormHotKey::ButtonNoneClick(TComponent*)
{
    HotKeyEdit->SetHotKey(0);
    HotKeyEdit->SetFocus();
}

void TFormHotKey::ButtonOKClick(TComponent*)
{
    if (OnChosen && !OnChosen(HotKeyEdit->HotKey())) {
        ShowMessageBox(L"このキーは他のアプリが使用しているため、設定できません。別のキーを指定してください。",
            text::ToWide(Application->Title()), MB_OK | MB_ICONWARNING);
        HotKeyEdit->SetFocus();
        return;
    }
    // Not a close request: that is how Cancel and the close box end the dialog.
    Hide();
}

void TFormHotKey::ButtonCancelClick(TComponent*) { Close(); }

void TFormHotKey::FormClose(TComponent*, TCloseAction&)
{
    if (OnCancelled) OnCancelled();
}
