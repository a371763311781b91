#pragma once
// The wait-time dialog: reads and changes the screen-saver wait time in minutes.
#include "framework/Form.h"

class TButton;
class TEditUpDown;
class TLabel;
class TPanel;

class TFormSetTimeout : public TForm {
public:
    static constexpr const char* ClassName = "TFormSetTimeout";
    static const char* const Description;

    explicit TFormSetTimeout(TComponent* owner) : TForm(owner) { }

    TPanel* PanelTimeout = nullptr;
    TLabel* LabelMsg = nullptr;
    TLabel* LabelTimeout = nullptr;
    TEditUpDown* EditUpDownTimeout = nullptr;
    TLabel* LabelMinute = nullptr;
    TButton* ButtonCancel = nullptr;
    TButton* ButtonOK = nullptr;

    void FormShow(TComponent* Sender);
    void ButtonOKClick(TComponent* Sender);
    void ButtonCancelClick(TComponent* Sender);
    void FormKeyPress(TComponent* Sender, wchar_t& Key);

protected:
    void DeclareBindings(TBindings& b) override;

private:
    // The value shown at opening: confirming it unchanged writes nothing.
    int FShownMinutes = 0;
};

extern TFormSetTimeout* FormSetTimeout;
