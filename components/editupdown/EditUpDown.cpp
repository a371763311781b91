#include "components/editupdown/EditUpDown.h"

#include "components/editupdown/NumberConversion.h"
#include "framework/Handles.h"
#include "framework/Reader.h"
#include "framework/Text.h"

#include <commctrl.h>

#include <algorithm>

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

// Loaded when the first spin button is prepared rather than imported: their
// start-up is the costliest of any library's, and the tray icon need not wait.
HMODULE CommonControls()
{
    static const UniqueModule library(LoadLibraryW(L"comctl32.dll"));
    return library.get();
}

template <class Fn>
Fn CommonControlsEntry(const char* name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(CommonControls(), name)));
}

} // namespace

void TUpDownButton::InitUpDownClass()
{
    // Older systems lack the extended entry point.
    const auto initEx = CommonControlsEntry<BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*)>("InitCommonControlsEx");
    const INITCOMMONCONTROLSEX icc{8, ICC_UPDOWN_CLASS};
    if (initEx && initEx(&icc)) return;
    if (const auto init = CommonControlsEntry<void(WINAPI*)()>("InitCommonControls")) init();
}

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
    // A control without a table of its own gets the step of one it uses then, not an
    // empty entry that would stop the arrows altogether.
    UDACCEL accel{0, 1};
    Perform(UDM_GETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
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

void TEditUpDown::ScaleBy(int m, int d)
{
    const int buttonWidth = MulDiv(FSpinButton->Width(), m, d);
    TCustomEdit::ScaleBy(m, d);
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
    FLastValue = FSpinButton->GetControlPos();
}

void TEditUpDown::Loaded()
{
    TCustomEdit::Loaded();
    SetTextLimit();
}

void TEditUpDown::Change()
{
    TCustomEdit::Change();
    const int value = number::StrToIntDef(Text(), FLastValue);
    if (InRange(value) && value != FLastValue) {
        FLastValue = static_cast<int16_t>(value);
        FSpinButton->SetControlPos(FLastValue);
    }
}

void TEditUpDown::Step(int delta)
{
    const long long value = static_cast<long long>(number::StrToIntDef(Text(), FLastValue)) + delta;
    if (InRange(value)) SetPosition(static_cast<int16_t>(value));
}

void TEditUpDown::KeyDown(WORD& key, TShiftState shift)
{
    if (key == VK_UP) Step(+1);
    if (key == VK_DOWN) Step(-1);
    TCustomEdit::KeyDown(key, shift);
}

void TEditUpDown::KeyPress(wchar_t& key)
{
    if (!((key >= L'0' && key <= L'9') || key == L'-')) {
        key = 0;
        EditUpDownBeep(0);
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
