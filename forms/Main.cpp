#include "forms/Main.h"

#include "app/CommandLine.h"
#include "app/Lifecycle.h"
#include "app/Options.h"
#include "app/Session.h"
#include "app/SignIn.h"
#include "app/cm_lullwick.h"
#include "components/trayicon/TrayIcon.h"
#include "forms/MainDescription.h"
#include "forms/ChooseApp.h"
#include "forms/HoldFor.h"
#include "forms/HotKeyDialog.h"
#include "forms/SetTimeout.h"
#include "framework/Application.h"
#include "framework/Menus.h"
#include "framework/MessageBox.h"
#include "framework/StdCtrls.h"
#include "framework/Text.h"

TFormMain* FormMain = nullptr;
TTrayRetry TrayRetry{5000, 12};
SleepFn ExecuteDelay = Sleep;
ShellOpenFn ShellOpen = ShellExecuteW;
BeepFn HotKeyBeep = MessageBeep;
const char* const TFormMain::Description = MainDescription.data();

namespace {

constexpr UINT_PTR TrayRetryTimer = 1;
constexpr ULONGLONG TicksPerMinute = 60ull * 10'000'000;

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

// The name, or as much of it as `characters` hold with "…" for the rest.
std::wstring CutName(const std::wstring& name, size_t characters)
{
    if (name.size() <= characters) return name;
    if (characters == 0) return L"";
    size_t kept = characters - 1;
    if (kept > 0 && IS_HIGH_SURROGATE(name[kept - 1])) --kept; // no half of a character
    return name.substr(0, kept) + L"…";
}

bool FileExists(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

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
    b.Field("ppSplit3", ppSplit3);
    b.Field("ppHotKey", ppHotKey);
    b.Field("ppSignIn", ppSignIn);
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
    b.Field("ppHoldApp", ppHoldApp);
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
    b.Method("ppHoldAppClick", this, &TFormMain::ppHoldAppClick);
    b.Method("ppHoldCancelClick", this, &TFormMain::ppHoldCancelClick);
    b.Method("ppSignInClick", this, &TFormMain::ppSignInClick);
    b.Method("ppHotKeyClick", this, &TFormMain::ppHotKeyClick);
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
    ShowTrayIcon();
    FRules.OnPutBack = [this](const std::wstring& app) {
        const std::string cause = app.empty()
            ? text::FromUtf8("指定した時間が過ぎた")
            : text::FromUtf8("「") + text::FromWide(app) + text::FromUtf8("」が終了した");
        TrayIcon->ShowBalloon("Lullwick", cause + text::FromUtf8("ため、スクリーンセーバーを元の設定に戻しました。"),
            TBalloonIcon::Info, TBalloonFlags::RespectQuietTime); // it answers nothing the user just did
    };
    FRules.OnChanged = [this] {
        try {
            TrayIcon->SetIconResource(FRules.Facts().kind != THoldKind::None ? L"MAINICON" : L"OFFICON");
        } catch (const ENotifyIconError&) {
            // A tray that is away takes the picture by its name with the icon when a new taskbar comes.
        }
    };
    FRules.Start(Handle());
    UpdateDisplayCaption();
    UpdateStatusCaption();
    UpdateTimeoutCaption();
    FHotKey = LoadHotKey();
    // Nobody asked for anything just now: a balloon, not a box.
    if (!HoldHotKey())
        TrayIcon->ShowBalloon("Lullwick",
            text::FromUtf8("ホットキー（") + HotKeyText(FHotKey) +
                text::FromUtf8("）は他のアプリが使用しているため、使用できません。"),
            TBalloonIcon::Warning, TBalloonFlags::RespectQuietTime);
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
        if (message.WParam == THoldingRules::Timer) return FRules.ClockChanged();
        break;
    case THoldingRules::ProcessEndedMessage:
        return FRules.ProcessEnded(message.WParam);
    case WM_POWERBROADCAST:
        if (message.WParam == PBT_APMRESUMEAUTOMATIC || message.WParam == PBT_APMRESUMESUSPEND) FRules.Resumed();
        if (message.WParam == PBT_POWERSETTINGCHANGE && DisplayTurnedOn(message.LParam)) FRules.DisplayCameOn();
        break;
    case WM_HOTKEY:
        if (message.WParam == THotKeyRegistration::Id) return HotKeyPressed();
        break;
    case WM_TIMECHANGE:
        FRules.ClockChanged();
        break;
    case WM_WTSSESSION_CHANGE:
        FRules.SessionChanged(message.WParam);
        break;
    case WM_SETTINGCHANGE:
        if (message.LParam && !wcscmp(reinterpret_cast<const wchar_t*>(message.LParam), L"Policy"))
            FRules.PolicyChanged();
        // Another program switched the screen saver (the Control Panel announces it): looked at as the menu does.
        if (message.WParam == SPI_SETSCREENSAVEACTIVE) FRules.Look();
        break;
    default:
        break;
    }
    TForm::WndProc(message);
}

void TFormMain::FormDestroy(TComponent*)
{
    // The icon leaves the tray now: no other picture for the moment before.
    FRules.OnChanged = nullptr;
    // A description that failed to load may not have made the exit item.
    FRules.Exit(ppExit && ppExit->Tag() != 0);
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
    FRules.Look();
    UpdateStatusCaption();
    UpdateTimeoutCaption();
    UpdateDisplayCaption();
    const THoldKind kind = FRules.Facts().kind;
    const bool ends = kind == THoldKind::UntilTime || kind == THoldKind::UntilProcess;
    for (TMenuItem* item : ppHoldFor->Items()) item->SetChecked(ends && item == FHoldItem);
    ppHoldCancel->SetEnabled(ends);
    ppSignIn->SetChecked(StartsAtSignIn(ProgramPath()));
    // Shift+F10 is how the keyboard opens a menu, no wish to leave the screen saver off.
    const bool shift = !TrayIcon->PopupFromKeyboard() && (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    ppExit->SetCaption(text::FromUtf8(shift ? "無効状態で終了" : "終了"));
    ppExit->SetTag(shift ? 1 : 0);
}

void TFormMain::ppExecuteClick(TComponent*)
{
    ExecuteDelay(1000);
    FRules.SwitchOnForStart();
    ExecuteScreenSaver();
}

void TFormMain::ppStatusClick(TComponent*)
{
    FRules.ToggleScreenSaver();
    UpdateStatusCaption();
}

void TFormMain::TrayIconMouseMove(TComponent*, TShiftState, int, int)
{
    TrayIcon->SetTipHelp(StateText("Lullwick ＜現在の状態：", MaxTipCharacters));
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
    FRules.ChooseKeepDisplayOn(!FRules.Facts().keepDisplayOn);
    UpdateDisplayCaption();
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

void TFormMain::ppHoldAppClick(TComponent*)
{
    if (!FAppDialog) {
        FAppDialog = new TFormChooseApp(this);
        FAppDialog->Load(TFormChooseApp::Description);
        FAppDialog->OnChosen = [this](UniqueKernelHandle process, const std::wstring& fileName) {
            if (!FRules.HoldUntilProcess(std::move(process), fileName)) return false;
            FHoldItem = ppHoldApp;
            UpdateStatusCaption();
            return true;
        };
    }
    FAppDialog->ShowApps();
}

void TFormMain::ppHoldCancelClick(TComponent*) { FRules.CancelEnd(); }

void TFormMain::ppSignInClick(TComponent*)
{
    const std::wstring program = ProgramPath();
    SetStartAtSignIn(program, !StartsAtSignIn(program));
    // What the profile holds, as a write can be refused.
    ppSignIn->SetChecked(StartsAtSignIn(program));
}

void TFormMain::ppHotKeyClick(TComponent*)
{
    if (!FHotKeyDialog) {
        FHotKeyDialog = new TFormHotKey(this);
        FHotKeyDialog->Load(TFormHotKey::Description);
        FHotKeyDialog->OnChosen = [this](WORD hotKey) {
            const WORD chosen = AcceptableHotKey(hotKey) ? hotKey : 0;
            // Refused, the key of before stays the user's, to be held again at Cancel.
            if (!FHotKeyHeld.Hold(Handle(), chosen)) return false;
            FHotKey = chosen;
            StoreHotKey(chosen); // a refused write keeps the key for this run
            UpdateHotKeyCaption();
            return true;
        };
        FHotKeyDialog->OnCancelled = [this] { HoldHotKey(); };
    }
    if (FHotKeyDialog->Visible()) return FHotKeyDialog->Show();
    // Typed into the dialog, the key must reach it, not switch the screen saver behind it.
    FHotKeyHeld.Release();
    FHotKeyDialog->ShowKey(FHotKey);
}

bool TFormMain::HoldHotKey()
{
    const bool held = FHotKeyHeld.Hold(Handle(), FHotKey);
    UpdateHotKeyCaption();
    return held;
}

void TFormMain::HotKeyPressed()
{
    // As the status item, greyed then: the policy's state would come back at once.
    if (ScreenSaverSetByPolicy()) {
        HotKeyBeep(MB_ICONWARNING);
        return;
    }
    const bool before = GetScreenSaverActive();
    ppStatusClick(this);
    const bool after = GetScreenSaverActive();
    const int minutes = GetScreenSaverTimeout();
    // Realtime: a balloon shown late, with the icon perhaps out of sight, would say nothing useful.
    TrayIcon->ShowBalloon("Lullwick",
        after != before ? ChangeMessage(before, minutes) : NotChangedMessage(after, minutes),
        after != before ? TBalloonIcon::Info : TBalloonIcon::Warning, TBalloonFlags::NoSound | TBalloonFlags::Realtime);
}

void TFormMain::HoldFor(int minutes, TMenuItem* item)
{
    FHoldItem = item;
    FRules.HoldUntil(HoldClock() + static_cast<ULONGLONG>(minutes) * TicksPerMinute);
    UpdateStatusCaption();
}

// The head, the screen saver's state in a word, what decides it, and "＞", in code page 932.
std::string TFormMain::StateText(const char* head, size_t limit) const
{
    std::string text(head);
    text += StateWord(GetScreenSaverActive());
    if (ScreenSaverSetByPolicy()) text += "（管理者による設定）";
    if (const std::optional<ULONGLONG> end = FRules.End()) text += UntilText(*end, HoldClock());
    text = text::FromUtf8(text);
    if (FRules.App().empty()) return text + text::FromUtf8("＞");
    text += text::FromUtf8("（");
    const std::string tail = text::FromUtf8(" の終了まで）＞");
    const size_t fixed = text::ToWide(text + tail).size();
    return text + text::FromWide(CutName(FRules.App(), limit > fixed ? limit - fixed : 0)) + tail;
}

void TFormMain::UpdateStatusCaption()
{
    // A program's name may hold "&", which a menu would take for the accelerator's mark.
    std::string caption;
    for (const char c : StateText("＜現在の状態\t：　")) caption += c == '&' ? std::string("&&") : std::string(1, c);
    ppStatus->SetCaption(caption);
    // Under a policy a change would not hold.
    ppStatus->SetEnabled(!ScreenSaverSetByPolicy());
}

void TFormMain::UpdateTimeoutCaption()
{
    ppTimeout->SetCaption(
        text::FromUtf8("＜現在の待ち時間\t：　" + text::IntToStr(GetScreenSaverTimeout()) + "分＞ ..."));
}

void TFormMain::UpdateDisplayCaption()
{
    ppDisplay->SetChecked(FRules.Facts().keepDisplayOn);
    // The administrator's lock keeps the display and the lock theirs: only sleep is held off.
    ppDisplay->SetCaption(
        text::FromUtf8(FRules.Facts().lockByPolicy ? "画面を消さない（管理者の設定によりスリープ防止のみ）"
                                                   : "画面を消さない（スリープ防止）"));
}

void TFormMain::UpdateHotKeyCaption()
{
    std::string shown = FHotKey ? HotKeyText(FHotKey) : text::FromUtf8("なし");
    if (FHotKey && !FHotKeyHeld.Held()) shown += text::FromUtf8("：使用できません");
    ppHotKey->SetCaption(text::FromUtf8("ホットキー（") + shown + text::FromUtf8("） ..."));
}
