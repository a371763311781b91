#include "forms/SetTimeout.h"

#include "app/cm_lullwick.h"
#include "components/editupdown/EditUpDown.h"
#include "forms/SetTimeoutDescription.h"
#include "framework/StdCtrls.h"

#include <algorithm>
#include <cstdint>

TFormSetTimeout* FormSetTimeout = nullptr;
const char* const TFormSetTimeout::Description = SetTimeoutDescription;

void TFormSetTimeout::DeclareBindings(TBindings& b)
{
    b.Field("PanelTimeout", PanelTimeout);
    b.Field("LabelMsg", LabelMsg);
    b.Field("LabelTimeout", LabelTimeout);
    b.Field("EditUpDownTimeout", EditUpDownTimeout);
    b.Field("LabelMinute", LabelMinute);
    b.Field("ButtonCancel", ButtonCancel);
    b.Field("ButtonOK", ButtonOK);
    b.Method("FormShow", this, &TFormSetTimeout::FormShow);
    b.Method("ButtonOKClick", this, &TFormSetTimeout::ButtonOKClick);
    b.Method("ButtonCancelClick", this, &TFormSetTimeout::ButtonCancelClick);
    b.Method("FormKeyPress", this, &TFormSetTimeout::FormKeyPress);
}

void TFormSetTimeout::FormShow(TComponent*)
{
    // A wait time beyond the 16-bit range must end at the upper bound, not wrap around.
    const int minutes = std::clamp(GetScreenSaverTimeout(), int{INT16_MIN}, int{INT16_MAX});
    EditUpDownTimeout->SetPosition(static_cast<int16_t>(minutes));
    FShownMinutes = EditUpDownTimeout->Position();
    EditUpDownTimeout->SetFocus();
    EditUpDownTimeout->SelectAll(); // typing at once replaces the value instead of adding to it
}

void TFormSetTimeout::ButtonOKClick(TComponent*)
{
    // Only the value the user sees is stored; anything else keeps the dialog open.
    if (!EditUpDownTimeout->TakeText()) {
        EditUpDownTimeout->SetFocus();
        EditUpDownTimeout->SelectAll();
        return;
    }
    // 90 s shows as 1 minute: confirming it unchanged must not make it 60 s.
    if (const int minutes = EditUpDownTimeout->Position(); minutes != FShownMinutes) SetScreenSaverTimeout(minutes);
    Close();
}

void TFormSetTimeout::ButtonCancelClick(TComponent*) { Close(); }

void TFormSetTimeout::FormKeyPress(TComponent*, wchar_t& Key)
{
    if (!EditUpDownTimeout->Focused()) return;
    if (Key == L'\r') {
        ButtonOK->SetFocus();
        Key = 0;
    } else if (Key == 27) {
        ButtonCancel->SetFocus();
        Key = 0;
    }
}
