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
    DeclareDialogBindings(b);
    b.Method("FormShow", this, &TFormSetTimeout::FormShow);
}

void TFormSetTimeout::FormShow(TComponent*)
{
    // A wait time beyond the 16-bit range must end at the upper bound, not wrap around.
    const int minutes = std::clamp(GetScreenSaverTimeout(), int{INT16_MIN}, int{INT16_MAX});
    ShowNumber(static_cast<int16_t>(minutes));
    FShownMinutes = EditUpDownTimeout->Position();
}

void TFormSetTimeout::NumberChosen(int minutes)
{
    // 90 s shows as 1 minute: confirming it unchanged must not make it 60 s.
    if (minutes != FShownMinutes) SetScreenSaverTimeout(minutes);
}
