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
    bool KeyPreview() const { return keyPreview_; }
    void SetKeyPreview(bool keyPreview) { keyPreview_ = keyPreview; }
    TIcon& Icon() { return icon_; }
    void ScaleBy(int m, int d) override;

    TWinControl* ActiveControl() const { return activeControl_; }
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
    std::vector<TWinControl*> TabOrderList();
    std::vector<TButton*> Buttons();

    TFormBorderStyle borderStyle_ = TFormBorderStyle::bsSizeable;
    TPosition position_ = TPosition::poDesigned;
    bool positioned_ = false;
    bool keyPreview_ = false;
    int clientWidth_ = 0, clientHeight_ = 0;
    int pixelsPerInch_ = 96;
    TWinControl* activeControl_ = nullptr;
    TIcon icon_;
};

int ScreenPixelsPerInch();

// The screen without the taskbar, where forms are centred; tests replace it.
using WorkAreaFn = RECT (*)();
extern WorkAreaFn ScreenWorkArea;
