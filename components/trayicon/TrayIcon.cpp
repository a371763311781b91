#include "components/trayicon/TrayIcon.h"

#include "components/trayicon/ShellNotify.h"
#include "framework/Application.h"
#include "framework/Form.h"
#include "framework/ImageList.h"
#include "framework/Menus.h"
#include "framework/Reader.h"
#include "framework/Text.h"

#include <algorithm>
#include <memory>
#include <utility>

std::vector<TTrayIconEntry> TrayIconList;
TCallbackWindow* CallbackWindow = nullptr;

namespace {

TTrayIcon* FindTrayIcon(const std::string& id)
{
    const auto it =
        std::find_if(TrayIconList.begin(), TrayIconList.end(), [&id](const TTrayIconEntry& e) { return e.id == id; });
    return it == TrayIconList.end() ? nullptr : it->icon;
}

struct FreeComponent {
    void operator()(TComponent* component) const { Free(component); }
};
std::unique_ptr<TCallbackWindow, FreeComponent> sharedWindow;

// Learns whether a component is destroyed while it watches.
class TFreeWatch : public TComponent {
public:
    explicit TFreeWatch(TComponent& watched) : TComponent(nullptr) { FreeNotification(&watched); }
    bool Freed() const { return FFreed; }
    void Notification(TComponent* removed) override
    {
        TComponent::Notification(removed);
        FFreed = true;
    }

private:
    bool FFreed = false;
};

// The first `count` characters, a double-byte character whole or not at all.
std::string_view FirstCharacters(std::string_view cp932, size_t count)
{
    size_t end = 0;
    for (; count > 0 && end < cp932.size(); --count)
        end += IsDBCSLeadByteEx(text::CodePage, static_cast<BYTE>(cp932[end])) ? 2 : 1;
    return text::WithoutCutCharacter(cp932.substr(0, end));
}

// The small icon's size at a DPI, as the notification area draws it.
int SmallIconSize(UINT dpi)
{
    // Looked up: systems before Windows 10 do not have it, and have one DPI.
    using MetricsForDpiFn = int(WINAPI*)(int, UINT);
    static const auto metricsForDpi = reinterpret_cast<MetricsForDpiFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetSystemMetricsForDpi")));
    return metricsForDpi ? metricsForDpi(SM_CXSMICON, dpi) : GetSystemMetrics(SM_CXSMICON);
}

} // namespace

// ---- TSingleClick

TSingleClick::TSingleClick(std::function<void(TThread*)> completion, LONGLONG released) : FReleased(released)
{
    OnTerminate = std::move(completion);
    Start();
}

LONGLONG TSingleClick::Clock()
{
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    const LONGLONG f = frequency.QuadPart;
    return count.QuadPart / f * 1'000'000 + count.QuadPart % f * 1'000'000 / f;
}

void TSingleClick::Execute()
{
    const LONGLONG due = FReleased + (static_cast<LONGLONG>(GetDoubleClickTime()) + 50) * 1000;
    const LONGLONG left = due - Clock();
    Wait(left > 0 ? static_cast<DWORD>((left + 999) / 1000) : 0);
}

// ---- TCallbackWindow

TCallbackWindow::TCallbackWindow() : TWinControl(nullptr)
{
    static const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    // The shell announces a new taskbar to top-level windows only, and not to
    // a program with more rights than its own unless that lets it through.
    AllowWindowMessage(Application->Handle(), taskbarCreated);
    FTaskbarHook = Application->HookMainWindow([this](UINT msg, WPARAM, LPARAM) {
        if (msg == taskbarCreated) TaskbarCreated();
        return false;
    });
}

TCallbackWindow::~TCallbackWindow()
{
    if (Application) Application->UnhookMainWindow(FTaskbarHook);
    // A click still being timed must not reach this window once it is gone.
    for (const TPendingClick& click : FPending) {
        click.timer->OnTerminate = nullptr;
        click.timer->Terminate();
    }
    if (CallbackWindow == this) CallbackWindow = nullptr;
}

void TCallbackWindow::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    // Message-only: no control's window takes it along when it goes.
    params.Style = WS_POPUP;
    params.WndParent = HWND_MESSAGE;
}

void TCallbackWindow::IconDestroyed(TTrayIcon* icon)
{
    if (CurrentIcon == icon) CurrentIcon = nullptr;
    for (TPendingClick& click : FPending)
        if (click.icon == icon) click.icon = nullptr;
}

void TCallbackWindow::WndProc(TMessage& m)
{
    if (m.Msg == WM_TRAYNOTIFY) {
        TrayNotify(m.WParam, m.LParam);
        return;
    }
    TWinControl::WndProc(m);
}

void TCallbackWindow::TrayNotify(WPARAM wParam, LPARAM lParam)
{
    // Version 4 puts the identifier beside the event and the anchor point in
    // wParam; the first protocol has the identifier in wParam and the event
    // alone in lParam. Identifiers start at 1, so the high word tells them apart.
    const bool version4 = HIWORD(lParam) != 0;
    const UINT id = version4 ? HIWORD(lParam) : static_cast<UINT>(wParam);
    const UINT event = version4 ? LOWORD(lParam) : static_cast<UINT>(lParam);
    TTrayIcon* icon = FindTrayIcon(text::IntToStr(id));
    if (!icon) return;
    CurrentIcon = icon;
    if (!icon->Enabled()) return;
    POINT p{};
    GetCursorPos(&p);
    const bool rightMenu = icon->RBPopupMenu() && icon->AutoPopup();
    switch (event) {
    case WM_MOUSEMOVE:
        if (icon->OnMouseMove) icon->OnMouseMove(icon, 0, p.x, p.y);
        break;
    case WM_LBUTTONDOWN:
        if (icon->LBPopupMenu() && icon->AutoPopup()) ShowPopup(*icon, *icon->LBPopupMenu(), p, false);
        else if (icon->OnMouseDown) icon->OnMouseDown(icon, TMouseButton::mbLeft, ssLeft, p.x, p.y);
        break;
    case WM_LBUTTONUP:
        if (icon->OnMouseUp) icon->OnMouseUp(icon, TMouseButton::mbLeft, ssLeft, p.x, p.y);
        else SingleClickStep(*icon);
        break;
    case WM_LBUTTONDBLCLK:
        icon->ClickPending = true;
        if (icon->OnDblClick) icon->OnDblClick(icon);
        break;
    case WM_RBUTTONDOWN:
        // The menu opens on the release: a menu opened by the press, upward from a
        // bottom taskbar, would take a release just above as a choice.
        if (!rightMenu && icon->OnMouseDown) icon->OnMouseDown(icon, TMouseButton::mbRight, ssRight, p.x, p.y);
        break;
    case WM_RBUTTONUP:
        if (rightMenu && !version4) {
            ShowPopup(*icon, *icon->RBPopupMenu(), p, false);
            break;
        }
        // Under version 4 WM_CONTEXTMENU follows, from the mouse then.
        icon->FRightReleased = version4;
        if (icon->OnMouseUp) icon->OnMouseUp(icon, TMouseButton::mbRight, ssRight, p.x, p.y);
        break;
    case WM_CONTEXTMENU: {
        // The right release, or Shift+F10 or the menu key on an icon chosen with the keyboard.
        const bool fromKeyboard = !std::exchange(icon->FRightReleased, false);
        const POINT anchor{static_cast<short>(LOWORD(wParam)), static_cast<short>(HIWORD(wParam))};
        if (rightMenu) ShowPopup(*icon, *icon->RBPopupMenu(), anchor, fromKeyboard);
        break;
    }
    case NIN_KEYSELECT:
        KeySelect(*icon);
        break;
    case WM_MBUTTONDOWN:
        if (icon->OnMouseDown) icon->OnMouseDown(icon, TMouseButton::mbMiddle, ssMiddle, p.x, p.y);
        break;
    case WM_MBUTTONUP:
        if (icon->OnMouseUp) icon->OnMouseUp(icon, TMouseButton::mbMiddle, ssMiddle, p.x, p.y);
        break;
    default:
        break;
    }
}

void TCallbackWindow::ShowPopup(TTrayIcon& icon, TPopupMenu& menu, POINT at, bool fromKeyboard)
{
    const TFreeWatch iconWatch(icon);
    if (auto* form = dynamic_cast<TForm*>(icon.Owner())) {
        // The menu only closes on a click elsewhere when its window is in front.
        BringToForeground(form->Handle());
        // What was waiting may have ended the program or freed the menu or the icon.
        const TFreeWatch menuWatch(menu);
        if (!Application->ProcessMessages() || menuWatch.Freed() || iconWatch.Freed()) return;
    }
    icon.FPopupFromKeyboard = fromKeyboard;
    const bool chosen = menu.Popup(at.x, at.y);
    // Windows asks that the keyboard go back to the notification area when such a menu is dismissed.
    if (fromKeyboard && !chosen && !iconWatch.Freed()) icon.NotifyShell(TTrayIcon::ShellAction::Focus);
}

void TCallbackWindow::KeySelect(TTrayIcon& icon)
{
    // Windows can report one press of Enter twice.
    const ULONGLONG now = GetTickCount64();
    if (now - std::exchange(icon.FKeySelectedAt, now) < GetDoubleClickTime() || !icon.OnClick) return;
    // A key is no click that a double click could follow: it counts at once.
    if (auto* owner = dynamic_cast<TForm*>(icon.Owner())) BringToForeground(owner->Handle());
    icon.OnClick(&icon);
}

void TCallbackWindow::SingleClickStep(TTrayIcon& icon)
{
    if (!icon.OnClick || icon.ClickPending) {
        icon.ClickPending = false;
        return;
    }
    // Pending only once the timer runs: a timer that cannot start loses no later click.
    auto* timer = new TSingleClick([this](TThread* sender) { SingleClickDone(sender); }, TSingleClick::Clock());
    // An older timer, of a click since cancelled, must not end this one early.
    for (TPendingClick& click : FPending)
        if (click.icon == &icon) click.icon = nullptr;
    FPending.push_back({timer, &icon});
    icon.ClickPending = true;
    // The shell allows the foreground only now: whatever the click shows later may then come to the front.
    if (auto* form = dynamic_cast<TForm*>(icon.Owner())) BringToForeground(form->Handle());
}

void TCallbackWindow::SingleClickDone(TThread* sender)
{
    const auto it =
        std::find_if(FPending.begin(), FPending.end(), [sender](const TPendingClick& c) { return c.timer == sender; });
    if (it == FPending.end()) return;
    TTrayIcon* icon = it->icon;
    FPending.erase(it);
    if (icon && std::exchange(icon->ClickPending, false) && icon->OnClick) icon->OnClick(icon);
}

void TCallbackWindow::TaskbarCreated()
{
    bool refused = false;
    for (const TTrayIconEntry& entry : std::vector(TrayIconList)) {
        // A message handled while the shell was asked may have freed an icon of the copy.
        TTrayIcon* icon = FindTrayIcon(entry.id);
        if (!icon || icon->Designing() || !icon->Visible()) continue;
        // A shell that kept the icon would refuse it twice: start from a clean slate.
        icon->NotifyShell(TTrayIcon::ShellAction::Delete);
        // Windows also announces a new taskbar when the display's scale changes.
        icon->LoadIconResource();
        try {
            icon->NotifyShell(TTrayIcon::ShellAction::Add);
        } catch (const ENotifyIconError&) {
            if (icon->OnAddRefused) icon->OnAddRefused(icon);
            else refused = true;
        }
    }
    if (refused) throw ENotifyIconError();
}

// ---- TTrayIcon

ENotifyIconError::ENotifyIconError() : Exception(text::FromUtf8("タスクトレイにアイコンを登録できません。")) { }

TTrayIcon::TTrayIcon(TComponent* owner) : TComponent(owner)
{
    if (TrayIconList.size() >= MaxTrayIcons) throw ENotifyIconError();
    FTrayId = TrayIconList.empty() ? 1 : std::stoi(TrayIconList.back().id) + 1;
    if (!Designing()) {
        FIcon.OnChange = [this] { RefreshTray(); };
        if (!CallbackWindow) {
            sharedWindow.reset(new TCallbackWindow);
            CallbackWindow = sharedWindow.get();
        }
        NOTIFYICONDATAW data{};
        data.cbSize = sizeof data;
        data.uCallbackMessage = WM_TRAYNOTIFY;
        data.uID = static_cast<UINT>(FTrayId);
        FNotifyData = data;
    }
    TrayIconList.push_back({text::IntToStr(FTrayId), this});
}

TTrayIcon::~TTrayIcon()
{
    // Out of the list first: what this thread handles while the shell takes the
    // removal (a new taskbar, a tray message) must not reach a dying icon.
    std::erase_if(TrayIconList, [this](const TTrayIconEntry& e) { return e.icon == this; });
    if (CallbackWindow) CallbackWindow->IconDestroyed(this);
    if (!Designing() && FRegistered) NotifyShell(ShellAction::Delete);
    if (std::none_of(TrayIconList.begin(), TrayIconList.end(),
            [](const TTrayIconEntry& e) { return e.icon->FNotifyData.has_value(); }))
        sharedWindow.reset();
}

HICON TTrayIcon::CurrentIconHandle()
{
    if (!FIcon.Empty()) return FIcon.Handle();
    if (auto* form = dynamic_cast<TForm*>(Owner()); form && !form->Icon().Empty()) return form->Icon().Handle();
    return Application ? Application->Icon().Handle() : nullptr;
}

void TTrayIcon::NotifyShell(ShellAction action)
{
    NOTIFYICONDATAW& data = *FNotifyData;
    data.hIcon = CurrentIconHandle();
    lstrcpynW(data.szTip, text::ToWide(FTipHelp).c_str(), ARRAYSIZE(data.szTip));
    // Under version 4 the shell shows the tip only when asked to.
    data.uFlags = FTipHelp.empty() ? NIF_MESSAGE | NIF_ICON : NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
    switch (action) {
    case ShellAction::Add:
        if (!FVisible) return;
        data.hWnd = CallbackWindow->Handle();
        // A busy shell can report an add refused that it carried out after
        // all; the icon is then there to modify, and to delete at the end.
        if (!ShellNotifyIcon(NIM_ADD, &data) && !ShellNotifyIcon(NIM_MODIFY, &data)) throw ENotifyIconError();
        FRegistered = true;
        // Each add starts with the first protocol; a shell that refuses version 4
        // goes on with it, which the callback window reads as well.
        data.uVersion = NOTIFYICON_VERSION_4;
        ShellNotifyIcon(NIM_SETVERSION, &data);
        break;
    case ShellAction::Modify:
        if (!ShellNotifyIcon(NIM_MODIFY, &data)) throw ENotifyIconError();
        break;
    case ShellAction::Delete:
        ShellNotifyIcon(NIM_DELETE, &data);
        FRegistered = false;
        break;
    case ShellAction::Focus:
        ShellNotifyIcon(NIM_SETFOCUS, &data);
        break;
    }
}

void TTrayIcon::ShowBalloon(std::string_view title, std::string_view message, TBalloonIcon kind, TBalloonFlags flags)
{
    if (!FRegistered) return;
    // A copy: the balloon's fields must not ride along with later requests.
    NOTIFYICONDATAW data = *FNotifyData;
    // The record's tip again: under version 4 a modify without NIF_SHOWTIP can leave the icon showing none.
    data.uFlags = NIF_INFO | NIF_TIP | NIF_SHOWTIP | (HasFlag(flags, TBalloonFlags::Realtime) ? NIF_REALTIME : 0);
    lstrcpynW(data.szInfoTitle, text::ToWide(title).c_str(), ARRAYSIZE(data.szInfoTitle));
    lstrcpynW(data.szInfo, text::ToWide(message).c_str(), ARRAYSIZE(data.szInfo));
    data.dwInfoFlags = static_cast<DWORD>(kind) |
        (HasFlag(flags, TBalloonFlags::RespectQuietTime) ? NIIF_RESPECT_QUIET_TIME : 0) |
        (HasFlag(flags, TBalloonFlags::NoSound) ? NIIF_NOSOUND : 0);
    ShellNotifyIcon(NIM_MODIFY, &data);
}

void TTrayIcon::LoadIconResource()
{
    if (FIconResource.empty()) return;
    FIcon.LoadFromResource(GetModuleHandleW(nullptr), FIconResource.c_str(), SmallIconSize(TrayDpi()));
}

void TTrayIcon::RefreshTray()
{
    if (FRegistered) NotifyShell(ShellAction::Modify);
}

void TTrayIcon::SetVisible(bool visible)
{
    if (visible == FVisible) return;
    FVisible = visible && CurrentIconHandle();
    if (Designing() || Loading()) return;
    if (FVisible) NotifyShell(ShellAction::Add);
    else if (FRegistered) NotifyShell(ShellAction::Delete);
}

bool TTrayIcon::RetryAdd()
{
    if (FVisible && !FRegistered && !Designing()) {
        try {
            NotifyShell(ShellAction::Add);
        } catch (const ENotifyIconError&) {
            return false;
        }
    }
    return FRegistered;
}

void TTrayIcon::SetTipHelp(std::string_view tip)
{
    const std::string_view cut = FirstCharacters(tip, MaxTipCharacters);
    if (cut == FTipHelp) return;
    FTipHelp = std::string(cut);
    if (!Designing()) RefreshTray();
}

void TTrayIcon::SetIcon(const TIcon* icon)
{
    if (icon == &FIcon) return;
    FIconResource.clear();
    FIcon.Assign(icon);
}

void TTrayIcon::SetIconResource(std::wstring_view name)
{
    if (name == FIconResource) return;
    FIconResource = name;
    LoadIconResource();
}

void TTrayIcon::SetEnabled(bool enabled)
{
    if (enabled == FEnabled) return;
    FEnabled = enabled;
    if (!enabled) ClickPending = false;
}

void TTrayIcon::SetAnimateRate(int rate)
{
    if (rate == FAnimateRate) return;
    FAnimateRate = rate < 100 ? 100 : rate;
}

void TTrayIcon::SetAnimateIcons(TImageList* list)
{
    FAnimateIcons = list;
    if (list) list->FreeNotification(this);
}

void TTrayIcon::SetLBPopupMenu(TPopupMenu* menu)
{
    FLbPopupMenu = menu;
    if (menu) menu->FreeNotification(this);
}

void TTrayIcon::SetRBPopupMenu(TPopupMenu* menu)
{
    FRbPopupMenu = menu;
    if (menu) menu->FreeNotification(this);
}

void TTrayIcon::Notification(TComponent* removed)
{
    TComponent::Notification(removed);
    if (dynamic_cast<TPopupMenu*>(removed)) {
        if (FLbPopupMenu == removed) FLbPopupMenu = nullptr;
        if (FRbPopupMenu == removed) FRbPopupMenu = nullptr;
    }
    if (dynamic_cast<TImageList*>(removed) && FAnimateIcons == removed) FAnimateIcons = nullptr;
}

void TTrayIcon::ReadState(TReader& reader, const TObjectDesc& desc)
{
    if (!FTipCleared) {
        FTipCleared = true;
        SetTipHelp("");
    }
    TComponent::ReadState(reader, desc);
}

void TTrayIcon::Loaded()
{
    FTipCleared = false;
    // Loading ends before the add: a refused add must leave the Visible writer
    // able to try again.
    TComponent::Loaded();
    if (!Designing()) NotifyShell(ShellAction::Add);
}

bool TTrayIcon::SetProperty(std::string_view name, const TValue& value, TReader& reader)
{
    if (name == "AnimateIcons")
        reader.Reference(value, [this](TComponent* c) { SetAnimateIcons(dynamic_cast<TImageList*>(c)); });
    else if (name == "AnimateRate") SetAnimateRate(value.AsInt());
    else if (name == "AutoPopup") SetAutoPopup(value.AsBool());
    else if (name == "Enabled") SetEnabled(value.AsBool());
    else if (name == "Icon") {
        const std::string& id = value.AsIdentifier();
        SetIconResource(std::wstring(id.begin(), id.end()));
    } else if (name == "LBPopupMenu")
        reader.Reference(value, [this](TComponent* c) { SetLBPopupMenu(dynamic_cast<TPopupMenu*>(c)); });
    else if (name == "RBPopupMenu")
        reader.Reference(value, [this](TComponent* c) { SetRBPopupMenu(dynamic_cast<TPopupMenu*>(c)); });
    else if (name == "TipHelp") SetTipHelp(value.AsString());
    else if (name == "Visible") SetVisible(value.AsBool());
    else if (name == "OnClick") OnClick = reader.Method<TNotifyEvent>(value);
    else if (name == "OnDblClick") OnDblClick = reader.Method<TNotifyEvent>(value);
    else if (name == "OnMouseDown") OnMouseDown = reader.Method<TMouseEvent>(value);
    else if (name == "OnMouseMove") OnMouseMove = reader.Method<TMouseMoveEvent>(value);
    else if (name == "OnMouseUp") OnMouseUp = reader.Method<TMouseEvent>(value);
    else return TComponent::SetProperty(name, value, reader);
    return true;
}
