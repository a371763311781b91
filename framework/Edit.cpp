#include "framework/Edit.h"

#include "framework/Reader.h"

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner) { SetTabStop(true); }

void TCustomEdit::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    CreateSubClass(params, L"EDIT");
    params.Style |= ES_AUTOHSCROLL | (FReadOnly ? ES_READONLY : 0);
    params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomEdit::CreateWnd()
{
    TWinControl::CreateWnd();
    SendMessageW(Handle(), EM_SETREADONLY, FReadOnly, 0);
}

void TCustomEdit::SetReadOnly(bool readOnly)
{
    FReadOnly = readOnly;
    if (HandleAllocated()) SendMessageW(Handle(), EM_SETREADONLY, readOnly, 0);
}

void TCustomEdit::SetMaxLength(int length) { Perform(EM_LIMITTEXT, static_cast<WPARAM>(length), 0); }

void TCustomEdit::Command(WORD code)
{
    // Text set by the program is reported by SetText itself.
    if (code == EN_CHANGE && !SettingText()) Change();
}

void TCustomEdit::Change()
{
    if (OnChange) OnChange(this);
}

bool TCustomEdit::SetProperty(std::string_view name, const TValue& value, TReader& reader)
{
    if (name == "ReadOnly") SetReadOnly(value.AsBool());
    else if (name == "OnChange") OnChange = reader.Method<TNotifyEvent>(value);
    else return TWinControl::SetProperty(name, value, reader);
    return true;
}
