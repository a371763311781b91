#include "framework/StdCtrls.h"

#include "framework/Handles.h"
#include "framework/Reader.h"
#include "framework/Text.h"

#include <algorithm>
#include <cwctype>
#include <utility>

namespace {

TPanelBevel ReadBevel(const TValue& value)
{
    const std::string& v = value.AsIdentifier();
    return v == "bvLowered" ? TPanelBevel::bvLowered : v == "bvRaised" ? TPanelBevel::bvRaised : TPanelBevel::bvNone;
}

void DrawBevel(HDC dc, RECT& r, TPanelBevel bevel)
{
    if (bevel == TPanelBevel::bvNone) return;
    DrawEdge(dc, &r, bevel == TPanelBevel::bvRaised ? BDR_RAISEDINNER : BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
}

// The face's own text colour, as the face colour lies beneath: contrast themes set it apart from the
// window's text colour (the system's default for labels and check boxes), which may not be readable there.
LRESULT FaceColours(HDC dc, bool transparent)
{
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    // A label may lie over another; a check box paints its whole face.
    SetBkMode(dc, transparent ? TRANSPARENT : OPAQUE);
    return reinterpret_cast<LRESULT>(transparent ? GetStockObject(NULL_BRUSH) : GetSysColorBrush(COLOR_BTNFACE));
}

} // namespace

void TLabel::SetFocusControl(TWinControl* control)
{
    FFocusControl = control;
    if (control) control->FreeNotification(this);
}

wchar_t AcceleratorOf(std::string_view caption)
{
    const std::wstring wide = text::ToWide(caption);
    for (size_t i = 0; i + 1 < wide.size(); ++i) {
        if (wide[i] != L'&') continue;
        if (wide[i + 1] != L'&') return static_cast<wchar_t>(std::towupper(wide[i + 1]));
        ++i;
    }
    return 0;
}

wchar_t TLabel::Accelerator() const { return AcceleratorOf(Text()); }

void TLabel::Notification(TComponent* removed)
{
    TWinControl::Notification(removed);
    if (removed == FFocusControl) FFocusControl = nullptr;
}

void TLabel::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    CreateSubClass(params, L"STATIC");
    params.Style |= FAlignment == TAlignment::taCenter ? SS_CENTER
        : FAlignment == TAlignment::taRightJustify     ? SS_RIGHT
                                                       : SS_LEFT;
    if (FLayout == TTextLayout::tlCenter) params.Style |= SS_CENTERIMAGE;
    // Labels may overlap: each draws only its text over what lies beneath.
    params.Style &= ~WS_CLIPSIBLINGS;
    params.ExStyle |= WS_EX_TRANSPARENT;
}

bool TLabel::CtlColor(HDC dc, LRESULT& brush)
{
    brush = FaceColours(dc, true);
    return true;
}

bool TLabel::SetProperty(std::string_view name, const TValue& value, TReader& reader)
{
    if (name == "Caption") SetText(value.AsString());
    else if (name == "Alignment")
        FAlignment = value.AsIdentifier() == "taCenter" ? TAlignment::taCenter
            : value.AsIdentifier() == "taRightJustify"  ? TAlignment::taRightJustify
                                                        : TAlignment::taLeftJustify;
    else if (name == "Layout")
        FLayout = value.AsIdentifier() == "tlCenter" ? TTextLayout::tlCenter : TTextLayout::tlTop;
    else if (name == "AutoSize") value.AsBool(); // stored sizes already fit the text
    else if (name == "FocusControl")
        reader.Reference(value, [this](TComponent* c) { SetFocusControl(dynamic_cast<TWinControl*>(c)); });
    else return TWinControl::SetProperty(name, value, reader);
    return true;
}

TButton::TButton(TComponent* owner) : TWinControl(owner) { SetTabStop(true); }

void TButton::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    CreateSubClass(params, L"BUTTON");
    params.Style |= FDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    FActive = FDefault;
}

void TButton::SetActive(bool active)
{
    if (active == FActive || !HandleAllocated()) return;
    FActive = active;
    SendMessageW(Handle(), BM_SETSTYLE, active ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::Click()
{
    if (OnClick) OnClick(this);
}

void TButton::Command(WORD code)
{
    if (code == BN_CLICKED) Click();
}

bool TButton::SetProperty(std::string_view name, const TValue& value, TReader& reader)
{
    if (name == "Caption") SetText(value.AsString());
    else if (name == "Default") SetDefault(value.AsBool());
    else if (name == "Cancel") SetCancel(value.AsBool());
    else if (name == "OnClick") OnClick = reader.Method<TNotifyEvent>(value);
    else return TWinControl::SetProperty(name, value, reader);
    return true;
}

TCheckBox::TCheckBox(TComponent* owner) : TWinControl(owner) { SetTabStop(true); }

void TCheckBox::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    CreateSubClass(params, L"BUTTON");
    params.Style |= BS_AUTOCHECKBOX;
}

void TCheckBox::CreateWnd()
{
    TWinControl::CreateWnd();
    Perform(BM_SETCHECK, FChecked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool TCheckBox::Checked() { return HandleAllocated() ? Perform(BM_GETCHECK, 0, 0) == BST_CHECKED : FChecked; }

void TCheckBox::SetChecked(bool checked)
{
    FChecked = checked;
    if (HandleAllocated()) Perform(BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TCheckBox::Command(WORD code)
{
    if (code == BN_CLICKED && OnClick) OnClick(this);
}

bool TCheckBox::CtlColor(HDC dc, LRESULT& brush)
{
    brush = FaceColours(dc, false);
    return true;
}

bool TCheckBox::SetProperty(std::string_view name, const TValue& value, TReader& reader)
{
    if (name == "Caption") SetText(value.AsString());
    else if (name == "Checked") SetChecked(value.AsBool());
    else if (name == "OnClick") OnClick = reader.Method<TNotifyEvent>(value);
    else return TWinControl::SetProperty(name, value, reader);
    return true;
}

TListBox::TListBox(TComponent* owner) : TWinControl(owner) { SetTabStop(true); }

void TListBox::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    CreateSubClass(params, L"LISTBOX");
    // Not sorted by the control: the lines come in their own order.
    params.Style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL;
    params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TListBox::CreateWnd()
{
    TWinControl::CreateWnd();
    FillWindow();
}

void TListBox::FillWindow()
{
    Perform(WM_SETREDRAW, FALSE, 0);
    Perform(LB_RESETCONTENT, 0, 0);
    for (const std::wstring& item : FItems) Perform(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    Perform(LB_SETCURSEL, static_cast<WPARAM>(FItemIndex), 0);
    Perform(WM_SETREDRAW, TRUE, 0);
    InvalidateRect(Handle(), nullptr, TRUE);
    UpdateExtent();
}

void TListBox::UpdateExtent()
{
    const ScreenDC dc;
    const HGDIOBJ before = SelectObject(dc.get(), reinterpret_cast<HGDIOBJ>(Perform(WM_GETFONT, 0, 0)));
    int widest = 0;
    for (const std::wstring& item : FItems) {
        SIZE size{};
        GetTextExtentPoint32W(dc.get(), item.c_str(), static_cast<int>(item.size()), &size);
        widest = std::max(widest, static_cast<int>(size.cx));
    }
    // The control leaves a few pixels beside the text; an average character's width covers them.
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc.get(), &metrics);
    SelectObject(dc.get(), before);
    Perform(LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + metrics.tmAveCharWidth), 0);
}

void TListBox::SetItems(std::vector<std::wstring> items)
{
    FItems = std::move(items);
    FItemIndex = -1;
    if (HandleAllocated()) FillWindow();
}

int TListBox::ItemIndex()
{
    if (!HandleAllocated()) return FItemIndex;
    const LRESULT index = Perform(LB_GETCURSEL, 0, 0);
    return index == LB_ERR ? -1 : static_cast<int>(index);
}

void TListBox::SetItemIndex(int index)
{
    FItemIndex = index >= 0 && index < static_cast<int>(FItems.size()) ? index : -1;
    if (HandleAllocated()) Perform(LB_SETCURSEL, static_cast<WPARAM>(FItemIndex), 0);
}

void TListBox::WndProc(TMessage& m)
{
    TWinControl::WndProc(m);
    // A new font (another scale) makes the lines wider or narrower.
    if (m.Msg == WM_SETFONT) UpdateExtent();
}

void TListBox::Command(WORD code)
{
    if (code == LBN_SELCHANGE && OnClick) OnClick(this);
    else if (code == LBN_DBLCLK && OnDblClick) OnDblClick(this);
}

bool TListBox::SetProperty(std::string_view name, const TValue& value, TReader& reader)
{
    if (name == "OnClick") OnClick = reader.Method<TNotifyEvent>(value);
    else if (name == "OnDblClick") OnDblClick = reader.Method<TNotifyEvent>(value);
    else return TWinControl::SetProperty(name, value, reader);
    return true;
}

void TPanel::WndProc(TMessage& m)
{
    if (m.Msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(Handle(), &ps);
        RECT r;
        GetClientRect(Handle(), &r);
        DrawBevel(dc, r, FBevelOuter);
        DrawBevel(dc, r, FBevelInner);
        EndPaint(Handle(), &ps);
        return;
    }
    TWinControl::WndProc(m);
}

bool TPanel::SetProperty(std::string_view name, const TValue& value, TReader& reader)
{
    if (name == "BevelInner") FBevelInner = ReadBevel(value);
    else if (name == "BevelOuter") FBevelOuter = ReadBevel(value);
    else if (name == "Caption") SetText(value.AsString());
    else return TWinControl::SetProperty(name, value, reader);
    return true;
}

void TImage::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    CreateSubClass(params, L"STATIC");
    params.Style |= SS_ICON | SS_REALSIZEIMAGE;
}

void TImage::CreateWnd()
{
    TWinControl::CreateWnd();
    ShowPicture();
}

void TImage::ScaleBy(const TScale& scale)
{
    TWinControl::ScaleBy(scale);
    if (HandleAllocated()) ShowPicture();
}

void TImage::ShowPicture()
{
    // Loaded at the control's own size, so the picture stays sharp at any scale.
    if (!FResource.empty()) FPicture.LoadFromResource(GetModuleHandleW(nullptr), FResource.c_str(), Width());
    SendMessageW(Handle(), STM_SETICON, reinterpret_cast<WPARAM>(FPicture.Handle()), 0);
}

bool TImage::SetProperty(std::string_view name, const TValue& value, TReader& reader)
{
    if (name == "Picture.Icon") {
        const std::string& id = value.AsIdentifier();
        FResource.assign(id.begin(), id.end());
    } else if (name == "AutoSize") value.AsBool();
    else return TWinControl::SetProperty(name, value, reader);
    return true;
}
