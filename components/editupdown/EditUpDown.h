#pragma once
// A right-aligned numeric edit with an up/down button pair inside its right
// edge, holding a 16-bit value between Min and Max.
#include "framework/Edit.h"

#include <imm.h>

#include <cstdint>
#include <optional>

// The pair of arrow buttons: a thin wrapper around the platform up-down control.
class TUpDownButton : public TWinControl {
public:
    static constexpr const char* ClassName = "TUpDownButton";
    explicit TUpDownButton(TComponent* owner);

    int16_t RangeLow() const { return FRangeLow; }
    int16_t RangeHigh() const { return FRangeHigh; }
    void SetRangeLow(int16_t value);
    void SetRangeHigh(int16_t value);
    // Always goes to the platform control, creating its window first.
    void SetControlPos(int16_t value);
    // The platform control's position, or the stored copy while there is no window.
    int16_t GetControlPos();

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;

private:
    static void InitUpDownClass();
    void SendRange();

    int16_t FRangeLow = 0;
    int16_t FRangeHigh = 100;
    int16_t FPosCopy = 0;
};

class TEditUpDown : public TCustomEdit {
public:
    static constexpr const char* ClassName = "TEditUpDown";
    explicit TEditUpDown(TComponent* owner);
    ~TEditUpDown() override;

    int16_t Min() const { return FLowerBound; }
    int16_t Max() const { return FUpperBound; }
    void SetMin(int16_t value);
    void SetMax(int16_t value);
    int16_t Position() { return FSpinButton->GetControlPos(); }
    void SetPosition(int16_t value);
    // The last value accepted as the position.
    int16_t LastValue() const { return FLastValue; }
    bool Ctl3D() const { return FCtl3D; }
    void SetCtl3D(bool ctl3D) { FCtl3D = ctl3D; }
    TUpDownButton* SpinButton() const { return FSpinButton; }
    // The smallest height at which text and buttons fit.
    int RequiredHeight();
    // Takes the shown text as the position when it is a number within the bounds;
    // otherwise beeps, shows the last accepted value again and returns false.
    bool TakeText();

    bool SetProperty(std::string_view name, const TValue& value, TReader& reader) override;
    void Loaded() override;
    void ScaleBy(const TScale& scale) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void WndProc(TMessage& message) override;
    void Change() override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyPress(wchar_t& key) override;

private:
    void AdjustTextRect();
    void PlaceSpinButton();
    void SetTextLimit();
    void Step(int delta);
    std::optional<int> TextNumber() const;
    void Paste();
    bool InRange(long long value) const { return FLowerBound <= value && value <= FUpperBound; }

    TUpDownButton* FSpinButton;
    int16_t FLowerBound = 0;
    int16_t FUpperBound = 100;
    int16_t FLastValue = 0;
    bool FCtl3D = true;
    bool FAfterLeadSurrogate = false;
};

// The beep for a refused character; tests replace it to hear it.
using MessageBeepFn = BOOL(WINAPI*)(UINT type);
extern MessageBeepFn EditUpDownBeep;
// Ties an input context to the edit's window; the edit unties its own (null), so
// that the input method is off in it. Tests replace it to see the call made.
using AssociateContextFn = HIMC(WINAPI*)(HWND window, HIMC context);
extern AssociateContextFn EditUpDownAssociateContext;
