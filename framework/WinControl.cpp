#include "framework/WinControl.h"

#include "framework/Application.h"
#include "framework/Exception.h"
#include "framework/Form.h"
#include "framework/Reader.h"
#include "framework/Text.h"

#include <algorithm>
#include <map>
#include <typeinfo>
#include <utility>

namespace {

// The control whose window is being created: it receives the first message.
TWinControl* creatingControl = nullptr;

std::map<std::wstring, WNDPROC>& ClassProcedures()
{
    static std::map<std::wstring, WNDPROC> procedures;
    return procedures;
}

WNDPROC RegisterWindowClass(const TCreateParams& params, WNDPROC frameworkProc)
{
    auto& procedures = ClassProcedures();
    if (const auto it = procedures.find(params.WinClassName); it != procedures.end()) return it->second;
    WNDCLASSEXW wc = params.WindowClass;
    const WNDPROC systemProc = wc.lpfnWndProc ? wc.lpfnWndProc : DefWindowProcW;
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = frameworkProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = params.WinClassName.c_str();
    wc.lpszMenuName = nullptr;
    if (!RegisterClassExW(&wc)) throw Exception(text::FromUtf8("ウィンドウクラスを登録できません。"));
    procedures.emplace(params.WinClassName, systemProc);
    return systemProc;
}

} // namespace

TShiftState KeyboardShiftState()
{
    TShiftState s = 0;
    if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
    if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
    if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
    return s;
}

TWinControl::TWinControl(TComponent* owner) : TComponent(owner)
{
    FFont.OnChange = [this] {
        FParentFont = false;
        ApplyFont();
    };
}

TWinControl::~TWinControl()
{
    if (FHandle) DestroyWindow(FHandle);
    for (TWinControl* child : FControls) child->FParent = nullptr;
    if (FParent) std::erase(FParent->FControls, this);
}

void TWinControl::SetParent(TWinControl* parent)
{
    if (parent == FParent) return;
    if (FParent) std::erase(FParent->FControls, this);
    FParent = parent;
    if (FParent) {
        FTabOrder = static_cast<int>(FParent->FControls.size());
        FParent->FControls.push_back(this);
        if (FHandle) ::SetParent(FHandle, FParent->Handle());
        ApplyFont();
    }
}

TForm* TWinControl::ParentForm()
{
    TWinControl* c = this;
    while (c->FParent) c = c->FParent;
    return dynamic_cast<TForm*>(c);
}

void TWinControl::SetBounds(int left, int top, int width, int height)
{
    if (left == FLeft && top == FTop && width == FWidth && height == FHeight) return;
    FLeft = left;
    FTop = top;
    FWidth = width;
    FHeight = height;
    if (FHandle) SetWindowPos(FHandle, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

int TWinControl::ClientWidth()
{
    RECT r;
    GetClientRect(Handle(), &r);
    return r.right;
}

int TWinControl::ClientHeight()
{
    RECT r;
    GetClientRect(Handle(), &r);
    return r.bottom;
}

void TWinControl::ScaleBy(const TScale& scale)
{
    SetBounds(scale(FLeft), scale(FTop), scale(FWidth), scale(FHeight));
    if (!FParentFont) FFont.SetHeight(scale(FFont.Height()));
    for (TWinControl* child : FControls) child->ScaleBy(scale);
}

void TWinControl::UpdateBoundsFromWindow()
{
    RECT r;
    GetWindowRect(FHandle, &r);
    if (FParent && FParent->FHandle) MapWindowPoints(HWND_DESKTOP, FParent->FHandle, reinterpret_cast<POINT*>(&r), 2);
    FLeft = r.left;
    FTop = r.top;
    FWidth = r.right - r.left;
    FHeight = r.bottom - r.top;
}

void TWinControl::SetVisible(bool visible)
{
    if (visible == FVisible) return;
    FVisible = visible;
    if (FVisible && FParent && FParent->Showing()) UpdateShowing();
    if (FHandle) ShowWindow(FHandle, FVisible ? SW_SHOWNA : SW_HIDE);
}

bool TWinControl::Showing() const
{
    for (const TWinControl* c = this; c; c = c->FParent)
        if (!c->FVisible) return false;
    return true;
}

void TWinControl::UpdateShowing()
{
    HandleNeeded();
    for (TWinControl* child : FControls)
        if (child->FVisible) child->UpdateShowing();
}

void TWinControl::SetEnabled(bool enabled)
{
    if (enabled == FEnabled) return;
    FEnabled = enabled;
    if (FHandle) EnableWindow(FHandle, enabled);
}

std::wstring TWinControl::WindowText() const
{
    const int n = GetWindowTextLengthW(FHandle);
    std::wstring wide(static_cast<size_t>(n) + 1, L'\0');
    wide.resize(static_cast<size_t>(GetWindowTextW(FHandle, wide.data(), n + 1)));
    return wide;
}

std::string TWinControl::Text() const { return FHandle ? text::FromWide(WindowText()) : FText; }

void TWinControl::SetText(std::string_view text)
{
    if (FHandle) {
        // Compared as shown: distinct texts can convert to the same bytes ("é" and "?").
        const std::wstring wide = text::ToWide(text);
        if (wide == WindowText()) return;
        FSettingText = true;
        SetWindowTextW(FHandle, wide.c_str());
        FSettingText = false;
    } else {
        if (text == FText) return;
        FText = std::string(text);
    }
    TextChanged();
}

const TFont& TWinControl::EffectiveFont() const { return FParentFont && FParent ? FParent->EffectiveFont() : FFont; }

void TWinControl::SetParentFont(bool parentFont)
{
    FParentFont = parentFont;
    ApplyFont();
}

void TWinControl::ApplyFont()
{
    if (FHandle) SendMessageW(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(EffectiveFont().Handle()), TRUE);
    for (TWinControl* child : FControls)
        if (child->FParentFont) child->ApplyFont();
}

HWND TWinControl::Handle()
{
    if (!FHandle) CreateWnd();
    return FHandle;
}

void TWinControl::CreateParams(TCreateParams& params)
{
    params.Caption = text::ToWide(FText);
    params.Style = WS_CHILD | WS_CLIPSIBLINGS | (FVisible ? WS_VISIBLE : 0) | (FTabStop ? WS_TABSTOP : 0) |
        (FEnabled ? 0 : WS_DISABLED);
    params.X = FLeft;
    params.Y = FTop;
    params.Width = FWidth;
    params.Height = FHeight;
    params.WindowClass.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    params.WindowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    params.WindowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    const std::string type = typeid(*this).name();
    params.WinClassName = L"Lullwick." + std::wstring(type.begin(), type.end());
}

void TWinControl::CreateSubClass(TCreateParams& params, const wchar_t* systemClass)
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExW(nullptr, systemClass, &wc))
        throw Exception(
            text::FromUtf8("ウィンドウクラス ") + text::FromWide(systemClass) + text::FromUtf8(" を使用できません。"));
    params.WindowClass = wc;
}

void TWinControl::CreateWnd()
{
    // The parent's window first: its creation may place this control, or make its window already.
    HWND parentWindow = FParent ? FParent->Handle() : nullptr;
    if (FHandle) return;
    TCreateParams params;
    CreateParams(params);
    if (!FParent) parentWindow = params.WndParent;
    FDefWndProc = RegisterWindowClass(params, StaticWndProc);
    creatingControl = this;
    HWND hwnd = CreateWindowExW(params.ExStyle, params.WinClassName.c_str(), params.Caption.c_str(), params.Style,
        params.X, params.Y, params.Width, params.Height, parentWindow, nullptr, GetModuleHandleW(nullptr), nullptr);
    creatingControl = nullptr;
    if (!hwnd) throw Exception(text::FromUtf8("ウィンドウを作成できません。"));
    FText.clear();
    UpdateBoundsFromWindow();
    ApplyFont();
}

LRESULT CALLBACK TWinControl::StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<TWinControl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self && creatingControl) {
        self = std::exchange(creatingControl, nullptr);
        self->FHandle = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
    TMessage message{msg, wParam, lParam, 0};
    try {
        self->WndProc(message);
    } catch (...) {
        if (Application) Application->HandleException();
    }
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->FHandle = nullptr;
    }
    return message.Result;
}

void TWinControl::DefaultHandler(TMessage& m)
{
    m.Result = CallWindowProcW(FDefWndProc, FHandle, m.Msg, m.WParam, m.LParam);
}

void TWinControl::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_COMMAND:
        if (m.LParam)
            if (TWinControl* child = FromHandle(reinterpret_cast<HWND>(m.LParam))) {
                child->Command(HIWORD(m.WParam));
                return;
            }
        break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
        if (TWinControl* child = FromHandle(reinterpret_cast<HWND>(m.LParam));
            child && child->CtlColor(reinterpret_cast<HDC>(m.WParam), m.Result))
            return;
        break;
    case WM_WINDOWPOSCHANGED:
        DefaultHandler(m);
        UpdateBoundsFromWindow();
        return;
    case WM_SETFOCUS:
        if (TForm* form = ParentForm(); form && form != this) form->FocusChanged(this);
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        WORD key = static_cast<WORD>(m.WParam);
        if (DoKeyDown(key, KeyboardShiftState())) return;
        m.WParam = key;
        break;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP:
        if (OnKeyUp) {
            WORD key = static_cast<WORD>(m.WParam);
            OnKeyUp(this, key, KeyboardShiftState());
            if (key == 0) return;
        }
        break;
    case WM_CHAR: {
        wchar_t key = static_cast<wchar_t>(m.WParam);
        if (DoKeyPress(key)) return;
        m.WParam = key;
        break;
    }
    default:
        break;
    }
    DefaultHandler(m);
}

bool TWinControl::DoKeyDown(WORD& key, TShiftState shift)
{
    if (TForm* form = ParentForm(); form && form != this && form->KeyPreview()) {
        form->KeyDown(key, shift);
        if (key == 0) return true;
    }
    KeyDown(key, shift);
    return key == 0;
}

bool TWinControl::DoKeyPress(wchar_t& key)
{
    if (TForm* form = ParentForm(); form && form != this && form->KeyPreview()) {
        form->KeyPress(key);
        if (key == 0) return true;
    }
    KeyPress(key);
    return key == 0;
}

void TWinControl::KeyDown(WORD& key, TShiftState shift)
{
    if (OnKeyDown) OnKeyDown(this, key, shift);
}

void TWinControl::KeyPress(wchar_t& key)
{
    if (OnKeyPress) OnKeyPress(this, key);
}

bool TWinControl::CanFocus() const
{
    for (const TWinControl* c = this; c; c = c->FParent)
        if (!c->FVisible || !c->FEnabled) return false;
    return true;
}

void TWinControl::SetFocus()
{
    if (TForm* form = ParentForm(); form && form != this) form->FocusControl(this);
    else ::SetFocus(Handle());
}

TWinControl* TWinControl::FromHandle(HWND hwnd)
{
    if (!hwnd || reinterpret_cast<WNDPROC>(GetClassLongPtrW(hwnd, GCLP_WNDPROC)) != StaticWndProc) return nullptr;
    return reinterpret_cast<TWinControl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

bool TWinControl::IsKeyMessage(const MSG& msg)
{
    TWinControl* control = FromHandle(msg.hwnd);
    if (!control) return false;
    TForm* form = control->ParentForm();
    if (!form) return false;
    switch (msg.message) {
    case WM_KEYDOWN:
        return form->DialogKey(control, static_cast<WORD>(msg.wParam));
    case WM_CHAR:
        if (SendMessageW(msg.hwnd, WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS) return false;
        return form->DialogChar(static_cast<wchar_t>(msg.wParam));
    case WM_SYSCHAR:
        return form->DialogChar(static_cast<wchar_t>(msg.wParam));
    default:
        return false;
    }
}

bool TWinControl::SetProperty(std::string_view name, const TValue& value, TReader& reader)
{
    if (name == "Left") SetLeft(value.AsInt());
    else if (name == "Top") SetTop(value.AsInt());
    else if (name == "Width") SetWidth(value.AsInt());
    else if (name == "Height") SetHeight(value.AsInt());
    else if (name == "Visible") SetVisible(value.AsBool());
    else if (name == "Enabled") SetEnabled(value.AsBool());
    else if (name == "TabOrder") SetTabOrder(value.AsInt());
    else if (name == "TabStop") SetTabStop(value.AsBool());
    else if (name == "ParentFont") SetParentFont(value.AsBool());
    else if (name.starts_with("Font.")) return FFont.SetProperty(name.substr(5), value);
    else return TComponent::SetProperty(name, value, reader);
    return true;
}
