#pragma once
// The wait-time dialog: reads and changes the screen-saver wait time in minutes.
#include "forms/NumberDialog.h"

class TEditUpDown;
class TLabel;
class TPanel;

class TFormSetTimeout : public TNumberDialog {
public:
    static constexpr const char* ClassName = "TFormSetTimeout";
    static const char* const Description;

    explicit TFormSetTimeout(TComponent* owner) : TNumberDialog(owner) { }

    TPanel* PanelTimeout = nullptr;
    TLabel* LabelMsg = nullptr;
    TLabel* LabelTimeout = nullptr;
    TEditUpDown* EditUpDownTimeout = nullptr;
    TLabel* LabelMinute = nullptr;

    void FormShow(TComponent* Sender);
    TEditUpDown* NumberEdit() const override { return EditUpDownTimeout; }

protected:
    void DeclareBindings(TBindings& b) override;
    void NumberChosen(int minutes) override;

private:
    // The value shown at opening: confirming it unchanged writes nothing.
    int FShownMinutes = 0;
};

extern TFormSetTimeout* FormSetTimeout;
