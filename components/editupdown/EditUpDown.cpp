#include "components/editupdown/EditUpDown.h"

#include "components/CommonControls.h"
#include "components/editupdown/NumberConversion.h"
#include "framework/Handles.h"
#include "framework/Library.h"
#include "framework/Reader.h"
#include "framework/Text.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>

MessageBeepFn EditUpDownBeep = MessageBeep;

// ---- TUpDownButton

TUpDownButton::TUpDownButton(TComponent* owner) : TWinControl(owner)
{
    SetWidth(GetSystemMetrics(SM_CXVSCROLL));
    SetHeight(GetSystemMetrics(SM_CYVSCROLL));
    SetHeight(Height() + Height() / 2);
    FRangeHigh = 100;
}

namespace {

// Systems without an input method may lack the library or its entry points.
HMODULE InputMethods()
{
    static const UniqueModule library(LoadSystemLibrary(L"imm32.dll"));
    return library.get();
}

HIMC WINAPI AssociateContext(HWND window, HIMC context)
{
    static const auto associate = LibraryEntry<AssociateContextFn>(InputMethods(), "ImmAssociateContext");
    return associate ? associate(window, context) : nullptr;
}

// The clipboard, open for as long as the object lives.
class OpenedClipboard {
public:
    explicit OpenedClipboard(HWND owner) : FOpen(OpenClipboard(owner) != FALSE) { }
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
    ~OpenedClipboard()
    {
        if (FOpen) CloseClipboard();
    }
    bool IsOpen() const { return FOpen; }

private:
    bool FOpen;
};

// The clipboard's text, or nothing when it holds none or cannot be opened.
std::wstring ClipboardText(HWND owner)
{
    const OpenedClipboard clipboard(owner);
    if (!clipboard.IsOpen()) return {};
    const HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const auto* chars = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
    if (!chars) return {};
    // Another program's data need not end where it should.
    std::wstring text(chars, wcsnlen(chars, GlobalSize(data) / sizeof(wchar_t)));
    GlobalUnlock(data);
    return text;
}

} // namespace

AssociateContextFn EditUpDownAssociateContext = AssociateContext;

void TUpDownButton::InitUpDownClass() { InitCommonControlClasses(ICC_UPDOWN_CLASS); }

void TUpDownButton::CreateParams(TCreateParams& params)
{
    InitUpDownClass();
    TWinControl::CreateParams(params);
    params.Style |= UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_NOTHOUSANDS | UDS_ARROWKEYS;
    CreateSubClass(params, UPDOWN_CLASSW);
    params.WindowClass.style = (params.WindowClass.style & ~(CS_HREDRAW | CS_VREDRAW)) | CS_DBLCLKS;
}

void TUpDownButton::CreateWnd()
{
    const int width = Width();
    TWinControl::CreateWnd();
    SetWidth(width);
    SendRange();
    Perform(UDM_SETPOS, 0, MAKELONG(static_cast<WORD>(FPosCopy), 0));
    // Holding an arrow keeps stepping by the first increment instead of speeding up.
    // A control without a table of its own keeps its own pace: an invented entry
    // of 0 seconds repeats as fast as the timer allows.
    UDACCEL accel{};
    if (Perform(UDM_GETACCEL, 1, reinterpret_cast<LPARAM>(&accel)) != 0)
        Perform(UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
}

void TUpDownButton::SendRange()
{
    Perform(UDM_SETRANGE, 0, MAKELONG(static_cast<WORD>(FRangeHigh), static_cast<WORD>(FRangeLow)));
}

void TUpDownButton::SetRangeLow(int16_t value)
{
    if (value == FRangeLow) return;
    FRangeLow = value;
    if (HandleAllocated()) SendRange();
}

void TUpDownButton::SetRangeHigh(int16_t value)
{
    if (value == FRangeHigh) return;
    FRangeHigh = value;
    if (HandleAllocated()) SendRange();
}

void TUpDownButton::SetControlPos(int16_t value) { Perform(UDM_SETPOS, 0, MAKELONG(static_cast<WORD>(value), 0)); }

int16_t TUpDownButton::GetControlPos()
{
    if (HandleAllocated()) FPosCopy = static_cast<int16_t>(LOWORD(Perform(UDM_GETPOS, 0, 0)));
    return FPosCopy;
}

// ---- TEditUpDown

TEditUpDown::TEditUpDown(TComponent* owner) : TCustomEdit(owner)
{
    SetBounds(0, 0, 121, 25);
    FSpinButton = new TUpDownButton(this);
    FSpinButton->SetWidth(15);
    FSpinButton->SetHeight(17);
    FSpinButton->SetVisible(true);
    FSpinButton->SetParent(this);
    SetText("0");
    FUpperBound = 100;
}

TEditUpDown::~TEditUpDown() { Free(FSpinButton); }

void TEditUpDown::CreateParams(TCreateParams& params)
{
    TCustomEdit::CreateParams(params);
    // A multi-line edit takes a formatting rectangle, which keeps the text off the buttons.
    params.Style |= ES_MULTILINE | WS_CLIPCHILDREN | ES_RIGHT;
}

void TEditUpDown::CreateWnd()
{
    TCustomEdit::CreateWnd();
    AdjustTextRect();
    // Digits, not words: the input method stays off here, as in numeric fields.
    EditUpDownAssociateContext(Handle(), nullptr);
}

void TEditUpDown::AdjustTextRect()
{
    RECT r{0, 0, ClientWidth() - FSpinButton->Width() - 2, ClientHeight() + 1};
    Perform(EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&r));
}

int TEditUpDown::RequiredHeight()
{
    const ScreenDC dc;
    TEXTMETRICW systemMetrics{};
    GetTextMetricsW(dc.get(), &systemMetrics);
    const HGDIOBJ previous = SelectObject(dc.get(), EffectiveFont().Handle());
    TEXTMETRICW fontMetrics{};
    GetTextMetricsW(dc.get(), &fontMetrics);
    SelectObject(dc.get(), previous);
    const int smaller = std::min(systemMetrics.tmHeight, fontMetrics.tmHeight);
    return fontMetrics.tmHeight + smaller / 4 + GetSystemMetrics(SM_CYBORDER) * 4 + 2;
}

void TEditUpDown::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_SIZE:
        TCustomEdit::WndProc(m);
        PlaceSpinButton();
        return;
    case WM_PAINT:
        // The platform edit paints over its child (when the focus leaves, for one):
        // the buttons are drawn again after it.
        TCustomEdit::WndProc(m);
        if (FSpinButton->HandleAllocated())
            RedrawWindow(FSpinButton->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        return;
    case WM_PASTE:
        if (!ReadOnly()) Paste();
        return;
    case WM_VSCROLL:
        FLastValue = FSpinButton->GetControlPos();
        SetText(text::IntToStr(FLastValue));
        return;
    default:
        TCustomEdit::WndProc(m);
    }
}

void TEditUpDown::PlaceSpinButton()
{
    if (const int required = RequiredHeight(); required > Height()) {
        SetHeight(required); // its size message places the buttons
        return;
    }
    const int bw = FSpinButton->Width();
    if (FCtl3D) FSpinButton->SetBounds(Width() - bw - 5, 0, bw, Height() - 5);
    else FSpinButton->SetBounds(Width() - bw, 1, bw, Height() - 3);
    if (HandleAllocated()) AdjustTextRect();
}

void TEditUpDown::ScaleBy(const TScale& scale)
{
    const int buttonWidth = scale(FSpinButton->Width());
    TCustomEdit::ScaleBy(scale);
    // The buttons' place follows from the edit's new size; scaling it as well would
    // move them a second time, out of the edit.
    FSpinButton->SetWidth(buttonWidth);
    PlaceSpinButton();
}

void TEditUpDown::SetTextLimit()
{
    const size_t length = std::max(text::IntToStr(FLowerBound).size(), text::IntToStr(FUpperBound).size());
    SetMaxLength(static_cast<int>(length));
}

void TEditUpDown::SetMax(int16_t value)
{
    FUpperBound = value;
    FSpinButton->SetRangeHigh(value);
    SetText(text::IntToStr(FSpinButton->GetControlPos()));
    SetTextLimit();
}

void TEditUpDown::SetMin(int16_t value)
{
    FLowerBound = value;
    FSpinButton->SetRangeLow(value);
    SetText(text::IntToStr(FSpinButton->GetControlPos()));
    SetTextLimit();
}

void TEditUpDown::SetPosition(int16_t value)
{
    FSpinButton->SetControlPos(value);
    SetText(text::IntToStr(FSpinButton->GetControlPos()));
    FLastValue = Position();
}

void TEditUpDown::Loaded()
{
    TCustomEdit::Loaded();
    SetTextLimit();
}

std::optional<int> TEditUpDown::TextNumber() const { return number::StrToInt(Text()); }

bool TEditUpDown::TakeText()
{
    if (const std::optional<int> value = TextNumber(); value && InRange(*value)) {
        SetPosition(static_cast<int16_t>(*value));
        return true;
    }
    EditUpDownBeep(0);
    SetPosition(FLastValue);
    return false;
}

void TEditUpDown::Paste()
{
    // A number copied from a table or a text comes with blanks or a line break around it.
    const std::wstring clipboard = ClipboardText(Handle());
    std::wstring pasted(number::WithoutBlanks(clipboard));
    if (pasted.empty()) return;
    std::ranges::transform(pasted, pasted.begin(), number::AsciiCounterpart);
    DWORD start = 0, end = 0;
    Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    const size_t length = static_cast<size_t>(GetWindowTextLengthW(Handle())) - (end - start) + pasted.size();
    // The platform edit would keep the part that fits ("12000" would become 1200) and
    // silently drop a second line: neither is what the user copied.
    if (length > static_cast<size_t>(Perform(EM_GETLIMITTEXT, 0, 0)) || pasted.find_first_of(L"\r\n") != pasted.npos) {
        EditUpDownBeep(0);
        return;
    }
    Perform(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(pasted.c_str()));
}

void TEditUpDown::Change()
{
    TCustomEdit::Change();
    const int value = TextNumber().value_or(FLastValue);
    if (InRange(value) && value != FLastValue) {
        FLastValue = static_cast<int16_t>(value);
        FSpinButton->SetControlPos(FLastValue);
    }
}

void TEditUpDown::Step(int delta)
{
    const long long value = static_cast<long long>(TextNumber().value_or(FLastValue)) + delta;
    if (InRange(value)) SetPosition(static_cast<int16_t>(value));
}

void TEditUpDown::KeyDown(WORD& key, TShiftState shift)
{
    // Shift+Insert pastes through WM_PASTE, as Ctrl+V and the context menu do; the
    // platform edit of some systems pastes it on its own, past the checks of a paste.
    if (key == VK_INSERT && shift == ssShift && !ReadOnly()) {
        Perform(WM_PASTE, 0, 0);
        key = 0;
    }
    if (key == VK_UP) Step(+1);
    if (key == VK_DOWN) Step(-1);
    TCustomEdit::KeyDown(key, shift);
}

void TEditUpDown::KeyPress(wchar_t& key)
{
    // A character beyond the first plane comes as two halves: one refusal, one beep.
    const bool secondHalf = FAfterLeadSurrogate && IS_LOW_SURROGATE(key);
    FAfterLeadSurrogate = IS_HIGH_SURROGATE(key);
    key = number::AsciiCounterpart(key);
    if (!((key >= L'0' && key <= L'9') || key == L'-')) {
        key = 0;
        if (!secondHalf) EditUpDownBeep(0);
    }
    TCustomEdit::KeyPress(key);
}

bool TEditUpDown::SetProperty(std::string_view name, const TValue& value, TReader& reader)
{
    if (name == "Max") SetMax(static_cast<int16_t>(value.AsInt()));
    else if (name == "Min") SetMin(static_cast<int16_t>(value.AsInt()));
    else if (name == "Position") SetPosition(static_cast<int16_t>(value.AsInt()));
    else if (name == "Ctl3D") SetCtl3D(value.AsBool());
    else if (name == "Color" || name == "DragCursor" || name == "DragMode" || name == "ShowHint" ||
        name == "PopupMenu" || name == "Hint" || name == "Cursor" || name == "HelpContext")
        return true; // kept as the platform draws and handles them
    else if (name == "OnKeyPress") OnKeyPress = reader.Method<TKeyPressEvent>(value);
    else if (name == "OnKeyDown") OnKeyDown = reader.Method<TKeyEvent>(value);
    else if (name == "OnKeyUp") OnKeyUp = reader.Method<TKeyEvent>(value);
    else if (name == "Text" || name == "TabOrder" || name == "AutoSize" || name == "BorderStyle") return false;
    else return TCustomEdit::SetProperty(name, value, reader);
    return true;
}
