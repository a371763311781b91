#include "forms/Main.h"

#include "app/CommandLine.h"
#include "app/Lifecycle.h"
#include "app/cm_lullwick.h"
#include "components/trayicon/TrayIcon.h"
#include "forms/MainDescription.h"
#include "forms/HoldFor.h"
#include "forms/SetTimeout.h"
#include "framework/Application.h"
#include "framework/Library.h"
#include "framework/Menus.h"
#include "framework/MessageBox.h"
#include "framework/StdCtrls.h"
#include "framework/Text.h"

TFormMain* FormMain = nullptr;
TTrayRetry TrayRetry{5000, 12};
SleepFn ExecuteDelay = Sleep;
ShellOpenFn ShellOpen = ShellExecuteW;
const char* const TFormMain::Description = MainDescription.data();

namespace {

constexpr UINT_PTR TrayRetryTimer = 1;
constexpr UINT_PTR HoldTimer = 2;
constexpr ULONGLONG TicksPerMinute = 60ull * 10'000'000;

ULONGLONG SystemClock()
{
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return ULONGLONG{now.dwHighDateTime} << 32 | now.dwLowDateTime;
}

// GUID_CONSOLE_DISPLAY_STATE, without the library that defines it.
constexpr GUID DisplayStateSetting{0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};

void PlatformSessionNotification(HWND window, bool on)
{
    // Looked up when first needed: most runs never wait for an unlock.
    static const UniqueModule library(LoadSystemLibrary(L"wtsapi32.dll"));
    using RegisterFn = BOOL(WINAPI*)(HWND, DWORD);
    using UnregisterFn = BOOL(WINAPI*)(HWND);
    static const auto start = LibraryEntry<RegisterFn>(library.get(), "WTSRegisterSessionNotification");
    static const auto stop = LibraryEntry<UnregisterFn>(library.get(), "WTSUnRegisterSessionNotification");
    // The display coming back from power saving, the other time the system refuses the screen-saver change.
    static HPOWERNOTIFY display = nullptr;
    if (on) {
        if (start) start(window, 0 /* this session */);
        display = RegisterPowerSettingNotification(window, &DisplayStateSetting, DEVICE_NOTIFY_WINDOW_HANDLE);
        return;
    }
    if (stop) stop(window);
    if (display) UnregisterPowerSettingNotification(std::exchange(display, nullptr));
}

bool DisplayCameOn(LPARAM setting)
{
    const auto* change = reinterpret_cast<const POWERBROADCAST_SETTING*>(setting);
    return change && change->PowerSetting == DisplayStateSetting && change->DataLength >= sizeof(DWORD) &&
        *reinterpret_cast<const DWORD*>(change->Data) == 1;
}

SYSTEMTIME LocalTime(ULONGLONG utc)
{
    const FILETIME moment{static_cast<DWORD>(utc), static_cast<DWORD>(utc >> 32)};
    SYSTEMTIME system{}, local{};
    FileTimeToSystemTime(&moment, &system);
    // The rules of that day, not today's bias: an end past a change of summer time shows its own hour.
    SystemTimeToTzSpecificLocalTime(nullptr, &system, &local);
    return local;
}

// "（18:30まで）", with the date when the end is on another day than `now`.
std::string UntilText(ULONGLONG end, ULONGLONG now)
{
    const SYSTEMTIME e = LocalTime(end);
    const SYSTEMTIME n = LocalTime(now);
    std::string until = "（";
    if (e.wDay != n.wDay || e.wMonth != n.wMonth || e.wYear != n.wYear)
        until += text::IntToStr(e.wMonth) + "/" + text::IntToStr(e.wDay) + " ";
    return until + text::IntToStr(e.wHour) + (e.wMinute < 10 ? ":0" : ":") + text::IntToStr(e.wMinute) + "まで）";
}

bool FileExists(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

ClockFn HoldClock = SystemClock;
SessionNotificationFn SessionNotification = PlatformSessionNotification;

void TFormMain::DeclareBindings(TBindings& b)
{
    b.Field("TrayIcon", TrayIcon);
    b.Field("PanelVersion", PanelVersion);
    b.Field("ImageIcon", ImageIcon);
    b.Field("LabelTitle", LabelTitle);
    b.Field("Label3", Label3);
    b.Field("LabelCopyright", LabelCopyright);
    b.Field("LabelVersion", LabelVersion);
    b.Field("ButtonClose", ButtonClose);
    b.Field("PopupMenu", PopupMenu);
    b.Field("ppExit", ppExit);
    b.Field("ppSplit1", ppSplit1);
    b.Field("ppSplit2", ppSplit2);
    b.Field("ppVersion", ppVersion);
    b.Field("ppHelp", ppHelp);
    b.Field("ppStatus", ppStatus);
    b.Field("ppTimeout", ppTimeout);
    b.Field("ppExecute", ppExecute);
    b.Field("ppDisplay", ppDisplay);
    b.Field("ppHoldFor", ppHoldFor);
    b.Field("ppHold30", ppHold30);
    b.Field("ppHold60", ppHold60);
    b.Field("ppHold120", ppHold120);
    b.Field("ppHold240", ppHold240);
    b.Field("ppHoldCustom", ppHoldCustom);
    b.Field("ppHoldSplit", ppHoldSplit);
    b.Field("ppHoldCancel", ppHoldCancel);
    b.Method("FormCreate", this, &TFormMain::FormCreate);
    b.Method("FormClose", this, &TFormMain::FormClose);
    b.Method("FormDestroy", this, &TFormMain::FormDestroy);
    b.Method("ButtonCloseClick", this, &TFormMain::ButtonCloseClick);
    b.Method("ppExitClick", this, &TFormMain::ppExitClick);
    b.Method("ppVersionClick", this, &TFormMain::ppVersionClick);
    b.Method("PopupMenuPopup", this, &TFormMain::PopupMenuPopup);
    b.Method("ppExecuteClick", this, &TFormMain::ppExecuteClick);
    b.Method("ppStatusClick", this, &TFormMain::ppStatusClick);
    b.Method("TrayIconMouseMove", this, &TFormMain::TrayIconMouseMove);
    b.Method("ppTimeoutClick", this, &TFormMain::ppTimeoutClick);
    b.Method("ppHelpClick", this, &TFormMain::ppHelpClick);
    b.Method("ppDisplayClick", this, &TFormMain::ppDisplayClick);
    b.Method("ppHoldClick", this, &TFormMain::ppHoldClick);
    b.Method("ppHoldCustomClick", this, &TFormMain::ppHoldCustomClick);
    b.Method("ppHoldCancelClick", this, &TFormMain::ppHoldCancelClick);
}

void TFormMain::FormCreate(TComponent*)
{
    const std::vector<std::wstring> parameters = SplitParameters(ProcessCommandLine());
    if (!parameters.empty()) {
        // One job, then the end: no icon, no record, nothing switched off, so nothing to put back at exit.
        Application->SetExitCode(RunCommandLine(parameters));
        HideMainWindow();
        return;
    }
    PutBackUnfinishedRun();
    KeepDisplayOn = LoadKeepDisplayOn();
    ppDisplay->SetChecked(KeepDisplayOn);
    ShowTrayIcon();
    SavedScreenSaverActive = StateToPutBack();
    SavedStateStored = StoreForThisRun(*SavedScreenSaverActive);
    SetScreenSaverActive(false);
    SetHolding(true);
    UpdateStatusCaption();
    UpdateTimeoutCaption();
    HideMainWindow();
}

void TFormMain::ShowTrayIcon()
{
    // The main window exists while the program is resident: close requests
    // from outside find it, and a tray click brings it to the front at once.
    HandleNeeded();
    TrayIcon->OnAddRefused = [this](TComponent*) { RetryTrayIconLater(); };
    try {
        TrayIcon->SetVisible(true);
    } catch (const ENotifyIconError&) {
        // The screen saver is switched off all the same; the icon follows when the tray takes it.
        RetryTrayIconLater();
    }
}

void TFormMain::RetryTrayIconLater()
{
    if (TrayAttemptsLeft > 0) return;
    TrayAttemptsLeft = TrayRetry.attempts;
    SetTimer(Handle(), TrayRetryTimer, TrayRetry.interval, nullptr);
}

void TFormMain::RetryTrayIcon()
{
    if (!TrayIcon->RetryAdd() && --TrayAttemptsLeft > 0) return;
    KillTimer(Handle(), TrayRetryTimer);
    // Without its icon the program could not be told to end: it ends now, putting the state back.
    if (!TrayIcon->Registered()) Application->Fail(std::make_exception_ptr(ENotifyIconError()));
    TrayAttemptsLeft = 0;
}

void TFormMain::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case WM_TIMER:
        if (message.WParam == TrayRetryTimer) return RetryTrayIcon();
        if (message.WParam == HoldTimer) return CheckHoldEnd();
        break;
    // The timer does not count while the system sleeps, and the clock may have moved: the end is read afresh.
    case WM_POWERBROADCAST:
        if (message.WParam == PBT_APMRESUMEAUTOMATIC) CheckHoldEnd();
        if (message.WParam == PBT_POWERSETTINGCHANGE && DisplayCameOn(message.LParam)) RetryPutBack();
        break;
    case WM_TIMECHANGE:
        CheckHoldEnd();
        break;
    case WM_WTSSESSION_CHANGE:
        if (message.WParam == WTS_SESSION_UNLOCK) RetryPutBack();
        break;
    default:
        break;
    }
    TForm::WndProc(message);
}

void TFormMain::FormDestroy(TComponent*)
{
    SetPutBackPending(false); // nothing is to wait for a window that goes
    // A one-job run has nothing to put back; a description that failed to load may not have made the exit item.
    RestoreAtExit(SavedScreenSaverActive, ppExit && ppExit->Tag() != 0, SavedStateStored);
}

void TFormMain::FormClose(TComponent*, TCloseAction& Action)
{
    // Only the close box hides the window; every other close request ends the program.
    // A hidden window still answers the hit test where its close box would be.
    if (!Visible()) return;
    POINT p{};
    GetCursorPos(&p);
    const LPARAM packed = MAKELPARAM(static_cast<WORD>(p.x), static_cast<WORD>(p.y));
    if (SendMessageW(Handle(), WM_NCHITTEST, 0, packed) == HTCLOSE) {
        Action = TCloseAction::caNone;
        Hide();
    }
}

void TFormMain::ButtonCloseClick(TComponent*) { HideMainWindow(); }

void TFormMain::ppExitClick(TComponent*) { Close(); }

void TFormMain::ppVersionClick(TComponent*) { Show(); }

void TFormMain::PopupMenuPopup(TComponent*)
{
    RetryPutBack(); // one refused while the session was locked
    // A screen saver switched on elsewhere is no longer held off; a policy's state was never ours to hold.
    if (GetScreenSaverActive() && !ScreenSaverSetByPolicy()) SetHolding(false);
    UpdateStatusCaption();
    UpdateTimeoutCaption();
    for (TMenuItem* item : ppHoldFor->Items()) item->SetChecked(FHoldEnd && item == FHoldItem);
    ppHoldCancel->SetEnabled(FHoldEnd.has_value());
    // Shift+F10 is how the keyboard opens a menu, no wish to leave the screen saver off.
    const bool shift = !TrayIcon->PopupFromKeyboard() && (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    ppExit->SetCaption(text::FromUtf8(shift ? "無効状態で終了" : "終了"));
    ppExit->SetTag(shift ? 1 : 0);
}

void TFormMain::ppExecuteClick(TComponent*)
{
    ExecuteDelay(1000);
    SetScreenSaverActive(true);
    SetHolding(false);
    ExecuteScreenSaver();
}

void TFormMain::ppStatusClick(TComponent*)
{
    if (const bool on = !GetScreenSaverActive(); SetScreenSaverActive(on)) SetHolding(!on);
    UpdateStatusCaption();
}

void TFormMain::TrayIconMouseMove(TComponent*, TShiftState, int, int)
{
    TrayIcon->SetTipHelp(StateText("Lullwick ＜現在の状態："));
}

void TFormMain::ppTimeoutClick(TComponent*)
{
    FormSetTimeout->Show();
    UpdateTimeoutCaption();
}

void TFormMain::ppHelpClick(TComponent*)
{
    // Current systems have no viewer for the old help format: the guide beside
    // the program comes first, a help file only where there is no guide.
    const std::wstring& helpFile = Application->HelpFile();
    const std::wstring guide = FileBeside(helpFile, GuideFileName);
    const wchar_t* problem = L"ヘルプが見つかりません。\r";
    if (FileExists(guide)) {
        // Taken at the first opening, not at start, and kept until the form goes.
        if (!ShellCom) ShellCom.emplace();
        const auto result =
            reinterpret_cast<INT_PTR>(ShellOpen(Handle(), L"open", guide.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
        if (result > 32) return;
        problem = L"ヘルプを開けません。\r";
    } else if (FileExists(helpFile)) {
        Application->HelpCommand(HELP_FINDER, 0);
        return;
    }
    ShowMessageBox(problem + guide, text::ToWide(Application->Title()), MB_OK | MB_ICONERROR);
}

void TFormMain::HideMainWindow()
{
    Application->SetShowMainForm(false);
    ShowWindow(Application->Handle(), SW_HIDE);
    Hide();
}

void TFormMain::ppDisplayClick(TComponent*)
{
    KeepDisplayOn = !KeepDisplayOn;
    // A profile that refuses the choice still has it applied for this run.
    StoreKeepDisplayOn(KeepDisplayOn);
    ppDisplay->SetChecked(KeepDisplayOn);
    // Holding itself, and a timed hold with it, goes on as it was.
    DisplayRequest.Hold(KeepDisplayOn && Holding);
}

void TFormMain::SetHolding(bool holding)
{
    Holding = holding;
    DisplayRequest.Hold(KeepDisplayOn && Holding);
    // Whatever holds anew or lets go is newer than a timed hold and its put-back.
    FHoldEnd.reset();
    KillTimer(Handle(), HoldTimer);
    SetPutBackPending(false);
}

void TFormMain::ppHoldClick(TComponent* Sender)
{
    auto* item = static_cast<TMenuItem*>(Sender);
    HoldFor(item->Tag(), item);
}

void TFormMain::ppHoldCustomClick(TComponent*)
{
    // Made when first asked for, as most runs never open it; it goes with this form.
    if (!FHoldDialog) {
        FHoldDialog = new TFormHoldFor(this);
        FHoldDialog->Load(TFormHoldFor::Description);
        FHoldDialog->OnChosen = [this](int minutes) { HoldFor(minutes, ppHoldCustom); };
    }
    FHoldDialog->Show();
}

void TFormMain::ppHoldCancelClick(TComponent*) { SetHolding(true); }

void TFormMain::HoldFor(int minutes, TMenuItem* item)
{
    if (GetScreenSaverActive()) SetScreenSaverActive(false);
    SetHolding(true);
    FHoldEnd = HoldClock() + static_cast<ULONGLONG>(minutes) * TicksPerMinute;
    FHoldItem = item;
    CheckHoldEnd();
    UpdateStatusCaption();
}

void TFormMain::CheckHoldEnd()
{
    if (!FHoldEnd) return;
    const ULONGLONG now = HoldClock();
    if (now < *FHoldEnd) {
        // Rounded up, so that the timer never comes before the end.
        const ULONGLONG left = (*FHoldEnd - now + 9'999) / 10'000;
        SetTimer(Handle(), HoldTimer, static_cast<UINT>(std::min<ULONGLONG>(left, USER_TIMER_MAXIMUM)), nullptr);
        return;
    }
    // The end puts back what an exit would, and stays in the tray.
    SetHolding(false);
    SetPutBackPending(true);
    RetryPutBack();
}

void TFormMain::RetryPutBack()
{
    if (!FPutBackPending || !PutBackScreenSaverActive(*SavedScreenSaverActive)) return;
    SetPutBackPending(false);
    TrayIcon->ShowBalloon("Lullwick",
        text::FromUtf8("指定した時間が過ぎたため、スクリーンセーバーを元の設定に戻しました。"), TBalloonIcon::Info,
        TBalloonFlags::RespectQuietTime); // it answers nothing the user just did
}

void TFormMain::SetPutBackPending(bool pending)
{
    if (pending == FPutBackPending) return;
    FPutBackPending = pending;
    SessionNotification(Handle(), pending);
}

// The head, the screen saver's state in a word, what decides it, and "＞", in code page 932.
std::string TFormMain::StateText(const char* head) const
{
    const char* setBy = ScreenSaverSetByPolicy() ? "（管理者による設定）" : "";
    const std::string until = FHoldEnd ? UntilText(*FHoldEnd, HoldClock()) : "";
    return text::FromUtf8(std::string(head) + StateWord(GetScreenSaverActive()) + setBy + until + "＞");
}

void TFormMain::UpdateStatusCaption()
{
    ppStatus->SetCaption(StateText("＜現在の状態\t：　"));
    // Under a policy a change would not hold.
    ppStatus->SetEnabled(!ScreenSaverSetByPolicy());
}

void TFormMain::UpdateTimeoutCaption()
{
    ppTimeout->SetCaption(
        text::FromUtf8("＜現在の待ち時間\t：　" + text::IntToStr(GetScreenSaverTimeout()) + "分＞ ..."));
}
