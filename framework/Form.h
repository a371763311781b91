#pragma once
// Top-level windows made from a stored description, created hidden.
#include "framework/Icon.h"
#include "framework/Reader.h"
#include "framework/WinControl.h"

#include <string_view>

class TButton;

enum class TFormBorderStyle { bsSizeable, bsDialog };
enum class TPosition { poDesigned, poScreenCenter };

class TForm : public TWinControl {
public:
    static constexpr const char* ClassName = "TForm";

    explicit TForm(TComponent* owner);

    // Reads the stored description, then raises OnCreate.
    void Load(std::string_view description);

    void Show();
    void Hide() { SetVisible(false); }
    // A close request: OnClose decides; the main form's close ends the application.
    void Close();
    void SetVisible(bool visible) override;

    void SetClientSize(int width, int height);
    bool KeyPreview() const { return FKeyPreview; }
    void SetKeyPreview(bool keyPreview) { FKeyPreview = keyPreview; }
    TIcon& Icon() { return FIcon; }
    // Lays the form out for a resolution, from its stored description's.
    void ScaleTo(int pixelsPerInch);
    void ScaleBy(const TScale& scale) override;

    TWinControl* ActiveControl() const { return FActiveControl; }
    void FocusControl(TWinControl* control);
    void FocusChanged(TWinControl* control);
    // Tab, the arrows, Enter and Esc, unless the focused control takes them itself.
    bool DialogKey(TWinControl* focused, WORD key);
    // Accelerator letters of labels.
    bool DialogChar(wchar_t ch);
    void SelectNext(TWinControl* current, bool forward);

    bool SetProperty(std::string_view name, const TValue& value, TReader& reader) override;
    void Loaded() override;
    void BeforeDestruction() override;
    void Notification(TComponent* removed) override;

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnShow;
    TCloseEvent OnClose;

protected:
    virtual void DeclareBindings(TBindings&) { }
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void WndProc(TMessage& message) override;

private:
    DWORD Style() const;
    DWORD ExStyle() const;
    void ApplyClientSize();
    void CentreOnWorkArea();
    // Gives the focus to the control that last had it, or to the first in tab order; false when none can take it.
    bool FocusActiveControl();
    // Focus moved by the keyboard selects an edit's whole text, as the system's dialogs do.
    static void FocusByKeyboard(TWinControl* control);
    std::vector<TWinControl*> TabOrderList();
    std::vector<TButton*> Buttons();

    TFormBorderStyle FBorderStyle = TFormBorderStyle::bsSizeable;
    TPosition FPosition = TPosition::poDesigned;
    bool FPositioned = false;
    bool FKeyPreview = false;
    int FClientWidth = 0, FClientHeight = 0;
    int FDesignedPixelsPerInch = 96;
    int FPixelsPerInch = 96;
    TWinControl* FActiveControl = nullptr;
    TIcon FIcon;
};

int ScreenPixelsPerInch();

// The screen without the taskbar, where forms are centred; tests replace it.
using WorkAreaFn = RECT (*)();
extern WorkAreaFn ScreenWorkArea;

// The resolution of the monitor a window is on (the system's where the system cannot tell);
// tests replace it to open a form on a monitor of another scale.
using WindowDpiFn = UINT (*)(HWND window);
extern WindowDpiFn WindowPixelsPerInch;
