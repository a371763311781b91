#include "framework/Form.h"

#include "framework/Application.h"
#include "framework/StdCtrls.h"
#include "framework/Text.h"

#include <algorithm>

int ScreenPixelsPerInch()
{
    const ScreenDC dc;
    return GetDeviceCaps(dc.get(), LOGPIXELSY);
}

namespace {

RECT PlatformWorkArea()
{
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

UINT PlatformWindowDpi(HWND window)
{
    // Looked up, as systems before Windows 10 (1607) lack it; they have one resolution for all monitors.
    using DpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto forWindow = reinterpret_cast<DpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    const UINT dpi = forWindow ? forWindow(window) : 0;
    return dpi ? dpi : static_cast<UINT>(ScreenPixelsPerInch());
}

} // namespace

WorkAreaFn ScreenWorkArea = PlatformWorkArea;
WindowDpiFn WindowPixelsPerInch = PlatformWindowDpi;

TForm::TForm(TComponent* owner) : TWinControl(owner)
{
    FVisible = false;
    Font().SetName(text::FromUtf8("ＭＳ Ｐゴシック"));
}

void TForm::Load(std::string_view description)
{
    TBindings bindings;
    DeclareBindings(bindings);
    TReader reader(*this, bindings);
    reader.ReadRoot(ParseDescription(description));
    if (OnCreate) {
        try {
            OnCreate(this);
        } catch (...) {
            Application->HandleException();
        }
    }
}

void TForm::Loaded()
{
    TWinControl::Loaded();
    ScaleTo(ScreenPixelsPerInch());
}

void TForm::ScaleTo(int pixelsPerInch)
{
    if (pixelsPerInch == FPixelsPerInch) return;
    ScaleBy({FDesignedPixelsPerInch, FPixelsPerInch, pixelsPerInch});
    FPixelsPerInch = pixelsPerInch;
}

void TForm::ScaleBy(const TScale& scale)
{
    Font().SetHeight(scale(Font().Height()));
    FClientWidth = scale(FClientWidth);
    FClientHeight = scale(FClientHeight);
    ApplyClientSize();
    for (TWinControl* child : Controls()) child->ScaleBy(scale);
}

void TForm::BeforeDestruction()
{
    if (OnDestroy) {
        try {
            OnDestroy(this);
        } catch (...) {
            Application->HandleException();
        }
    }
}

void TForm::Notification(TComponent* removed)
{
    TWinControl::Notification(removed);
    if (removed == FActiveControl) FActiveControl = nullptr;
}

DWORD TForm::Style() const
{
    return FBorderStyle == TFormBorderStyle::bsDialog ? WS_POPUP | WS_CAPTION | WS_SYSMENU : WS_OVERLAPPEDWINDOW;
}

DWORD TForm::ExStyle() const
{
    return FBorderStyle == TFormBorderStyle::bsDialog ? WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE : WS_EX_WINDOWEDGE;
}

void TForm::SetClientSize(int width, int height)
{
    FClientWidth = width;
    FClientHeight = height;
    ApplyClientSize();
}

void TForm::ApplyClientSize()
{
    if (HandleAllocated() && !IsIconic(Handle())) {
        // The frame as the window has it: this system's, at the resolution of its monitor.
        RECT client;
        GetClientRect(Handle(), &client);
        SetBounds(Left(), Top(), Width() - client.right + FClientWidth, Height() - client.bottom + FClientHeight);
        return;
    }
    RECT r{0, 0, FClientWidth, FClientHeight};
    AdjustWindowRectEx(&r, Style(), FALSE, ExStyle());
    SetBounds(Left(), Top(), r.right - r.left, r.bottom - r.top);
}

void TForm::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.Style = Style();
    params.ExStyle = ExStyle();
    params.WndParent = Application->Handle();
}

void TForm::CreateWnd()
{
    TWinControl::CreateWnd();
    // The frame of this system may differ from the computed one: keep the client size.
    ApplyClientSize();
}

void TForm::Show()
{
    SetVisible(true);
    SetForegroundWindow(Handle());
    BringWindowToTop(Handle());
    // A form made foreground while hidden (as before a tray menu) is active already
    // and gets no new activation: its control takes the focus here instead.
    if (GetActiveWindow() == Handle() && GetFocus() == Handle()) FocusActiveControl();
}

bool TForm::FocusActiveControl()
{
    TWinControl* target = FActiveControl;
    if (!target || !target->CanFocus()) {
        const auto list = TabOrderList();
        target = list.empty() ? nullptr : list.front();
    }
    if (!target) return false;
    ::SetFocus(target->Handle());
    return true;
}

void TForm::SetVisible(bool visible)
{
    if (visible == FVisible) return;
    FVisible = visible;
    if (!visible) {
        if (HandleAllocated()) ShowWindow(Handle(), SW_HIDE);
        return;
    }
    // Laid out for the monitor it opens on, whose scale may differ from the one it was made for.
    ScaleTo(static_cast<int>(WindowPixelsPerInch(Handle())));
    if (!FPositioned && FPosition == TPosition::poScreenCenter) CentreOnWorkArea();
    FPositioned = true;
    if (OnShow) OnShow(this);
    UpdateShowing();
    ShowWindow(Handle(), SW_SHOW);
}

void TForm::CentreOnWorkArea()
{
    const RECT work = ScreenWorkArea();
    SetBounds(work.left + (work.right - work.left - Width()) / 2, work.top + (work.bottom - work.top - Height()) / 2,
        Width(), Height());
}

void TForm::Close()
{
    TCloseAction action = TCloseAction::caHide;
    if (OnClose) OnClose(this, action);
    if (action == TCloseAction::caNone) return;
    if (Application->MainForm() == this) Application->Terminate();
    else if (action == TCloseAction::caHide) Hide();
    else if (action == TCloseAction::caMinimize) ShowWindow(Handle(), SW_MINIMIZE);
}

void TForm::FocusControl(TWinControl* control)
{
    FActiveControl = control;
    if (Visible() && HandleAllocated() && control->CanFocus()) ::SetFocus(control->Handle());
}

void TForm::FocusChanged(TWinControl* control)
{
    FActiveControl = control;
    auto* focusedButton = dynamic_cast<TButton*>(control);
    for (TButton* b : Buttons()) b->SetActive(b == focusedButton || (!focusedButton && b->Default()));
}

std::vector<TButton*> TForm::Buttons()
{
    std::vector<TButton*> buttons;
    for (TComponent* c : Components())
        if (auto* b = dynamic_cast<TButton*>(c)) buttons.push_back(b);
    return buttons;
}

std::vector<TWinControl*> TForm::TabOrderList()
{
    std::vector<TWinControl*> list;
    auto visit = [&list](auto& self, TWinControl* parent) -> void {
        std::vector<TWinControl*> children = parent->Controls();
        std::stable_sort(children.begin(), children.end(),
            [](TWinControl* a, TWinControl* b) { return a->TabOrder() < b->TabOrder(); });
        for (TWinControl* c : children) {
            if (c->TabStop() && c->CanFocus()) list.push_back(c);
            self(self, c);
        }
    };
    visit(visit, this);
    return list;
}

void TForm::SelectNext(TWinControl* current, bool forward)
{
    const std::vector<TWinControl*> list = TabOrderList();
    if (list.empty()) return;
    const auto it = std::find(list.begin(), list.end(), current);
    size_t i = it == list.end() ? (forward ? list.size() - 1 : 0) : static_cast<size_t>(it - list.begin());
    i = forward ? (i + 1) % list.size() : (i + list.size() - 1) % list.size();
    FocusByKeyboard(list[i]);
}

void TForm::FocusByKeyboard(TWinControl* control)
{
    control->SetFocus();
    if (control->Focused() && (control->Perform(WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL))
        control->Perform(EM_SETSEL, 0, -1);
}

bool TForm::DialogKey(TWinControl* focused, WORD key)
{
    if (GetKeyState(VK_MENU) < 0 || GetKeyState(VK_CONTROL) < 0) return false;
    const LRESULT code = focused == this ? 0 : SendMessageW(focused->Handle(), WM_GETDLGCODE, 0, 0);
    switch (key) {
    case VK_TAB:
        if (code & DLGC_WANTTAB) return false;
        SelectNext(focused, GetKeyState(VK_SHIFT) >= 0);
        return true;
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
        if (code & DLGC_WANTARROWS) return false;
        SelectNext(focused, key == VK_RIGHT || key == VK_DOWN);
        return true;
    case VK_RETURN:
    case VK_ESCAPE: {
        if (code & DLGC_WANTALLKEYS) return false;
        auto* focusedButton = dynamic_cast<TButton*>(focused);
        for (TButton* b : Buttons()) {
            const bool pressed =
                key == VK_ESCAPE ? b->Cancel() : (b == focusedButton || (!focusedButton && b->Default()));
            if (pressed && b->CanFocus()) {
                b->Click();
                return true;
            }
        }
        return false;
    }
    default:
        return false;
    }
}

bool TForm::DialogChar(wchar_t ch)
{
    const auto upper = static_cast<wchar_t>(
        reinterpret_cast<UINT_PTR>(CharUpperW(reinterpret_cast<wchar_t*>(static_cast<UINT_PTR>(ch)))));
    for (TComponent* c : Components()) {
        auto* label = dynamic_cast<TLabel*>(c);
        if (!label || !label->FocusControl() || label->Accelerator() != upper) continue;
        if (!label->FocusControl()->CanFocus()) continue;
        FocusByKeyboard(label->FocusControl());
        return true;
    }
    // A check box's letter gives it the focus and ticks or clears it, as the system's dialogs do.
    for (TComponent* c : Components()) {
        auto* box = dynamic_cast<TCheckBox*>(c);
        if (!box || box->Accelerator() != upper || !box->CanFocus()) continue;
        FocusByKeyboard(box);
        box->Perform(BM_CLICK, 0, 0);
        return true;
    }
    // A button's letter presses it, as the system's dialogs do.
    for (TButton* b : Buttons()) {
        if (b->Accelerator() != upper || !b->CanFocus()) continue;
        b->Click();
        return true;
    }
    return false;
}

void TForm::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_CLOSE:
        Close();
        return;
    case WM_ACTIVATE:
        if (LOWORD(m.WParam) == WA_INACTIVE) {
            // The form itself holds the focus when it was only made foreground (as before a
            // tray menu); remembering it would keep the focus from its controls at the next showing.
            if (TWinControl* focused = FromHandle(GetFocus());
                focused && focused != this && focused->ParentForm() == this)
                FActiveControl = focused;
        } else if (FocusActiveControl()) {
            return;
        }
        break;
    case WM_DPICHANGED: {
        // Moved to a monitor of another scale, or the scale changed: the suggested rectangle
        // keeps the window where the user has it, and the frame is the new resolution's already.
        const RECT& suggested = *reinterpret_cast<const RECT*>(m.LParam);
        SetBounds(suggested.left, suggested.top, suggested.right - suggested.left, suggested.bottom - suggested.top);
        ScaleTo(HIWORD(m.WParam));
        return;
    }
    case WM_QUERYENDSESSION:
        m.Result = TRUE;
        return;
    case WM_ENDSESSION:
        if (m.WParam) Application->EndSession();
        return;
    default:
        break;
    }
    TWinControl::WndProc(m);
}

bool TForm::SetProperty(std::string_view name, const TValue& value, TReader& reader)
{
    if (name == "Caption") SetText(value.AsString());
    else if (name == "BorderStyle")
        FBorderStyle = value.AsIdentifier() == "bsDialog" ? TFormBorderStyle::bsDialog : TFormBorderStyle::bsSizeable;
    else if (name == "ClientWidth") SetClientSize(value.AsInt(), FClientHeight);
    else if (name == "ClientHeight") SetClientSize(FClientWidth, value.AsInt());
    else if (name == "Position")
        FPosition = value.AsIdentifier() == "poScreenCenter" ? TPosition::poScreenCenter : TPosition::poDesigned;
    else if (name == "KeyPreview") SetKeyPreview(value.AsBool());
    else if (name == "PixelsPerInch") FDesignedPixelsPerInch = FPixelsPerInch = value.AsInt();
    else if (name == "Color" || name == "ShowHint" || name == "TextHeight") return true; // system colours, no hints
    else if (name == "OnCreate") OnCreate = reader.Method<TNotifyEvent>(value);
    else if (name == "OnDestroy") OnDestroy = reader.Method<TNotifyEvent>(value);
    else if (name == "OnShow") OnShow = reader.Method<TNotifyEvent>(value);
    else if (name == "OnClose") OnClose = reader.Method<TCloseEvent>(value);
    else if (name == "OnKeyPress") OnKeyPress = reader.Method<TKeyPressEvent>(value);
    else return TWinControl::SetProperty(name, value, reader);
    return true;
}
