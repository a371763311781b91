#pragma once
// The hold dialog: how many minutes the screen saver is to stay off.
#include "forms/NumberDialog.h"

#include <functional>

class TEditUpDown;
class TLabel;
class TPanel;

class TFormHoldFor : public TNumberDialog {
public:
    static constexpr const char* ClassName = "TFormHoldFor";
    static const char* const Description;

    explicit TFormHoldFor(TComponent* owner) : TNumberDialog(owner) { }

    TPanel* PanelHold = nullptr;
    TLabel* LabelMsg = nullptr;
    TLabel* LabelMinutes = nullptr;
    TEditUpDown* EditUpDownMinutes = nullptr;
    TLabel* LabelMinute = nullptr;

    void FormShow(TComponent* Sender);
    TEditUpDown* NumberEdit() const override { return EditUpDownMinutes; }

    // The minutes confirmed with OK.
    std::function<void(int minutes)> OnChosen;

protected:
    void DeclareBindings(TBindings& b) override;
    void NumberChosen(int minutes) override;
};
