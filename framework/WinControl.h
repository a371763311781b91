#pragma once
// Controls with a native window, created on demand.  The object behind a
// window is kept in the window's user data from its first message on.
#include "framework/Component.h"
#include "framework/Events.h"
#include "framework/Font.h"

#include <windows.h>

#include <string>
#include <vector>

struct TMessage {
    UINT Msg;
    WPARAM WParam;
    LPARAM LParam;
    LRESULT Result = 0;
};

struct TCreateParams {
    std::wstring Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0, Y = 0, Width = 0, Height = 0;
    HWND WndParent = nullptr;
    WNDCLASSEXW WindowClass{};
    std::wstring WinClassName;
};

class TForm;

// Takes lengths laid out at `from` pixels per inch to `to`. A length is taken back to the
// `designed` resolution first, so that moving between monitors does not drift by rounding.
struct TScale {
    int designed, from, to;
    int operator()(int length) const { return MulDiv(MulDiv(length, designed, from), to, designed); }
};

class TWinControl : public TComponent {
public:
    static constexpr const char* ClassName = "TWinControl";

    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;

    TWinControl* Parent() const { return FParent; }
    void SetParent(TWinControl* parent);
    void SetParentComponent(TComponent* parent) override { SetParent(dynamic_cast<TWinControl*>(parent)); }
    const std::vector<TWinControl*>& Controls() const { return FControls; }
    TForm* ParentForm();

    int Left() const { return FLeft; }
    int Top() const { return FTop; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    void SetBounds(int left, int top, int width, int height);
    void SetLeft(int v) { SetBounds(v, FTop, FWidth, FHeight); }
    void SetTop(int v) { SetBounds(FLeft, v, FWidth, FHeight); }
    void SetWidth(int v) { SetBounds(FLeft, FTop, v, FHeight); }
    void SetHeight(int v) { SetBounds(FLeft, FTop, FWidth, v); }
    int ClientWidth();
    int ClientHeight();
    // Scales position, size and own font, children included.
    virtual void ScaleBy(const TScale& scale);

    bool Visible() const { return FVisible; }
    virtual void SetVisible(bool visible);
    // Visible, and so are all parents up to a visible top-level window.
    bool Showing() const;
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool enabled);
    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool tabStop) { FTabStop = tabStop; }
    int TabOrder() const { return FTabOrder; }
    void SetTabOrder(int tabOrder) { FTabOrder = tabOrder; }

    // The caption or text, in code page 932.
    std::string Text() const;
    void SetText(std::string_view text);

    TFont& Font() { return FFont; }
    const TFont& EffectiveFont() const;
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool parentFont);

    HWND Handle();
    bool HandleAllocated() const { return FHandle != nullptr; }
    void HandleNeeded() { Handle(); }
    LRESULT Perform(UINT msg, WPARAM wParam, LPARAM lParam) { return SendMessageW(Handle(), msg, wParam, lParam); }

    bool Focused() const { return FHandle && GetFocus() == FHandle; }
    virtual bool CanFocus() const;
    void SetFocus();

    bool SetProperty(std::string_view name, const TValue& value, TReader& reader) override;

    // The framework object behind a window of this program, or null.
    static TWinControl* FromHandle(HWND hwnd);
    // Keyboard navigation for a message about to be dispatched; true when used up.
    static bool IsKeyMessage(const MSG& msg);

    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;

protected:
    virtual void CreateParams(TCreateParams& params);
    // Creates the native window; overrides do their part after the base's.
    virtual void CreateWnd();
    virtual void WndProc(TMessage& message);
    void DefaultHandler(TMessage& message);
    // Takes over a system window class: its procedure gets what the framework leaves.
    static void CreateSubClass(TCreateParams& params, const wchar_t* systemClass);
    // A WM_COMMAND notification about this control, passed on by its parent.
    virtual void Command(WORD) { }
    virtual void TextChanged() { }
    // WM_CTLCOLOR* about this control, passed on by its parent; true when answered.
    virtual bool CtlColor(HDC, LRESULT&) { return false; }
    bool SettingText() const { return FSettingText; }
    // Creates the windows of visible children once this one is on screen.
    void UpdateShowing();
    virtual void KeyDown(WORD& key, TShiftState shift);
    virtual void KeyPress(wchar_t& key);
    void ApplyFont();

    bool FVisible = true;

private:
    static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    std::wstring WindowText() const;
    void UpdateBoundsFromWindow();
    bool DoKeyDown(WORD& key, TShiftState shift);
    bool DoKeyPress(wchar_t& key);

    HWND FHandle = nullptr;
    WNDPROC FDefWndProc = DefWindowProcW;
    TWinControl* FParent = nullptr;
    std::vector<TWinControl*> FControls;
    int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
    bool FEnabled = true;
    bool FTabStop = false;
    int FTabOrder = 0;
    std::string FText;
    bool FSettingText = false;
    TFont FFont;
    bool FParentFont = true;
};

TShiftState KeyboardShiftState();
