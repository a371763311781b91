#include "forms/HoldFor.h"

#include "components/editupdown/EditUpDown.h"
#include "forms/HoldForDescription.h"
#include "framework/StdCtrls.h"

const char* const TFormHoldFor::Description = HoldForDescription;

namespace {

constexpr int16_t ProposedMinutes = 60;

} // namespace

void TFormHoldFor::DeclareBindings(TBindings& b)
{
    b.Field("PanelHold", PanelHold);
    b.Field("LabelMsg", LabelMsg);
    b.Field("LabelMinutes", LabelMinutes);
    b.Field("EditUpDownMinutes", EditUpDownMinutes);
    b.Field("LabelMinute", LabelMinute);
    DeclareDialogBindings(b);
    b.Method("FormShow", this, &TFormHoldFor::FormShow);
}

void TFormHoldFor::FormShow(TComponent*) { ShowNumber(ProposedMinutes); }

void TFormHoldFor::NumberChosen(int minutes)
{
    if (OnChosen) OnChosen(minutes);
}
