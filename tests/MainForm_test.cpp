#include "app/CommandLine.h"
#include "app/KeepDisplayOn.h"
#include "app/Lifecycle.h"
#include "app/SavedState.h"
#include "app/Session.h"
#include "app/SignIn.h"
#include "app/cm_lullwick.h"
#include "components/trayicon/ShellNotify.h"
#include "components/trayicon/TrayIcon.h"
#include "forms/HotKeyDialog.h"
#include "forms/ChooseApp.h"
#include "forms/Main.h"
#include "forms/SetTimeout.h"
#include "framework/Application.h"
#include "framework/Com.h"
#include "framework/Exception.h"
#include "framework/Handles.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "framework/Text.h"
#include "tests/TestSupport.h"

#include "Version.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <tuple>
#include <utility>
#include <vector>

namespace {

LPWSTR WINAPI NoParameters()
{
    static wchar_t line[] = L"Lullwick.exe";
    return line;
}

// The main form as the program makes it, without its message loop.
class MainFormTest : public testing::Test {
protected:
    MainFormTest()
    {
        ProcessCommandLine = NoParameters;
        FOriginalCommand = SendSystemCommand;
        SendSystemCommand = [](HWND, WPARAM command) -> LRESULT {
            executed += command == SC_SCREENSAVE;
            return 0;
        };
        executed = 0;
        TakeQuitMessage();
        Application->SetShowMainForm(true);
    }
    ~MainFormTest() override
    {
        if (FormMain) Free(FormMain);
        FormMain = nullptr;
        SendSystemCommand = FOriginalCommand;
        ProcessCommandLine = GetCommandLineW;
        SetShiftHeld(false);
        TakeQuitMessage();
    }
    void Create() { Application->CreateForm(FormMain); }
    void Destroy()
    {
        Free(FormMain);
        FormMain = nullptr;
    }
    // Opens the tray menu as the right button does, choosing nothing.
    void OpenMenu() { FormMain->PopupMenu->Popup(0, 0); }
    std::wstring Caption(TMenuItem* item) { return text::ToWide(item->Caption()); }

    static inline int executed = 0;
    ScreenSaverSettingsGuard FSettings;
    MessageBoxRecorder FBoxes;
    SendSystemCommandFn FOriginalCommand;
    TrackMenuFn FOriginalTrack = TrackMenu;
    struct RestoreTrack {
        TrackMenuFn f;
        ~RestoreTrack() { TrackMenu = f; }
    } FRestoreTrack{TrackMenu};
    void ChooseNothing()
    {
        TrackMenu = [](HMENU, int, int, HWND) -> UINT { return 0; };
    }
};

TEST_F(MainFormTest, StartUpSwitchesOffAndExitPutsTheStateBack)
{
    SetScreenSaverActive(true);
    Create();
    EXPECT_FALSE(GetScreenSaverActive());
    EXPECT_TRUE(FormMain->TrayIcon->Registered());
    EXPECT_FALSE(FormMain->Visible());
    EXPECT_FALSE(Application->ShowMainForm());
    EXPECT_FALSE(TakeQuitMessage());
    Destroy();
    EXPECT_TRUE(GetScreenSaverActive());
    EXPECT_TRUE(FBoxes.Boxes().empty());
}

TEST_F(MainFormTest, ExitRestoresTheRecordedStateNotTheToggledOne)
{
    SetScreenSaverActive(false);
    Create();
    FormMain->ppStatusClick(nullptr);
    EXPECT_TRUE(GetScreenSaverActive());
    Destroy();
    EXPECT_FALSE(GetScreenSaverActive());
}

TEST_F(MainFormTest, CaptionsComeFromFreshQueries)
{
    SetScreenSaverActive(true);
    SetSaverSeconds(600);
    Create();
    // Start-up has switched the screen saver off.
    EXPECT_EQ(Caption(FormMain->ppStatus), L"＜現在の状態\t：　無効＞");
    EXPECT_EQ(Caption(FormMain->ppTimeout), L"＜現在の待ち時間\t：　10分＞ ...");
    ChooseNothing();
    SetScreenSaverActive(true);
    SetSaverSeconds(59);
    OpenMenu();
    EXPECT_EQ(Caption(FormMain->ppStatus), L"＜現在の状態\t：　有効＞");
    EXPECT_EQ(Caption(FormMain->ppTimeout), L"＜現在の待ち時間\t：　0分＞ ...");
    EXPECT_EQ(Caption(FormMain->ppExecute), L"スクリーンセーバー起動");
    ASSERT_EQ(FormMain->PopupMenu->Items().size(), 13u);
    EXPECT_EQ(Caption(FormMain->PopupMenu->Items()[6]), L"ホットキー（なし） ...");
    EXPECT_EQ(Caption(FormMain->PopupMenu->Items()[7]), L"サインイン時に起動する");
    EXPECT_EQ(Caption(FormMain->PopupMenu->Items()[8]), L"-");
    EXPECT_EQ(Caption(FormMain->PopupMenu->Items()[3]), L"画面を消さない（スリープ防止）");
    EXPECT_EQ(Caption(FormMain->PopupMenu->Items()[4]), L"一時的に無効にする");
    EXPECT_EQ(FormMain->ppHoldFor->Items().size(), 8u);
    EXPECT_EQ(Caption(FormMain->PopupMenu->Items()[5]), L"-");
}

DWORD StoredDisplayChoice()
{
    DWORD value = 0;
    DWORD size = sizeof value;
    const LSTATUS s =
        RegGetValueW(HKEY_CURRENT_USER, SavedStateKey, KeepDisplayOnValue, RRF_RT_ANY, nullptr, &value, &size);
    return s == ERROR_SUCCESS ? value : 0xFFFF;
}

TEST_F(MainFormTest, DisplayChoiceIsStoredCheckedAndHeldAsThePolicyAllows)
{
    using M = PowerRecorder::Mode;
    static const wchar_t* line;
    ProcessCommandLine = [] { return const_cast<LPWSTR>(line); };
    ChooseNothing();
    static constexpr auto Menu = [] { FormMain->PopupMenu->Popup(0, 0); };
    static constexpr auto Item = [] { FormMain->ppDisplayClick(nullptr); };
    const std::wstring plain = L"画面を消さない（スリープ防止）";
    const std::wstring byPolicy = L"画面を消さない（管理者の設定によりスリープ防止のみ）";
    const struct {
        const char* name;
        DWORD stored; // KeepDisplayOn before the start, and after the step; 0xFFFF: none
        void (*step)();
        const char* held; // after the step: D the display, S the system
        DWORD storedAfter;
        bool checked;
        const std::wstring& caption;
        const wchar_t* line = L"Lullwick.exe";
    } rows[] = {
        {"nothing stored", 0xFFFF, Menu, "", 0xFFFF, false, plain},
        {"start", 1, Menu, "DS", 1, true, plain},
        {"item off", 1, Item, "", 0xFFFF, false, plain},
        {"item on", 0xFFFF, Item, "DS", 1, true, plain},
        {"item on over a value of 2", 2, Item, "DS", 1, true, plain},
        {"item on, refused", 0xFFFF,
            [] {
                RegistrySetValue = [](HKEY, const wchar_t*, DWORD, DWORD, const BYTE*, DWORD) -> LSTATUS { return 5; };
                Item();
                RegistrySetValue = RegSetValueExW;
            },
            "DS", 0xFFFF, true, plain},
        {"start now lets go", 1,
            [] {
                ExecuteDelay = [](DWORD) {};
                FormMain->ppExecuteClick(nullptr);
                ExecuteDelay = Sleep;
            },
            "", 1, true, plain},
        {"start-up record removed", 1, [] { RemoveSavedState(); }, "DS", 1, true, plain},
        {"started over a value of another type", 0xFFFF,
            [] {
                Free(FormMain);
                RegSetKeyValueW(HKEY_CURRENT_USER, SavedStateKey, KeepDisplayOnValue, REG_BINARY, "\1\0\0\0", 4);
                Application->CreateForm(FormMain);
            },
            "", 1, false, plain},
        {"a policy sets the screen saver", 1,
            [] {
                RegSetKeyValueW(HKEY_CURRENT_USER, ScreenSaverPolicyKey, L"ScreenSaveActive", REG_SZ, L"1", 4);
                SetScreenSaverActive(true); // as the policy would have it
                Menu();
                EXPECT_EQ(text::ToWide(FormMain->ppStatus->Caption()), L"＜現在の状態\t：　有効（管理者による設定）＞");
                EXPECT_FALSE(FormMain->ppStatus->Enabled());
            },
            "S", 1, true, byPolicy},
        {"an inactivity limit announced", 1,
            [] {
                for (const DWORD seconds : {0, 900}) {
                    RegSetKeyValueW(
                        HKEY_LOCAL_MACHINE, InactivityPolicyKey, L"InactivityTimeoutSecs", REG_DWORD, &seconds, 4);
                    SendMessageW(FormMain->Handle(), WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"Policy"));
                    EXPECT_EQ(PowerRecorder::Held(), seconds ? "S" : "DS");
                }
                Menu();
            },
            "S", 1, true, byPolicy},
        {"exit", 1, [] { Free(std::exchange(FormMain, nullptr)); }, "", 1, false, plain},
        {"one job", 1, [] {}, "", 1, false, plain, L"Lullwick.exe /i"},
    };
    for (const M mode : {M::Requests, M::NoRequest}) {
        for (const auto& row : rows) {
            SCOPED_TRACE(testing::Message() << row.name << ", mode " << static_cast<int>(mode));
            const PowerRecorder power(mode);
            line = row.line;
            const bool resident = wcschr(line, L'/') == nullptr;
            SetScreenSaverActive(true);
            if (row.stored != 0xFFFF)
                RegSetKeyValueW(HKEY_CURRENT_USER, SavedStateKey, KeepDisplayOnValue, REG_DWORD, &row.stored, 4);
            Create();
            EXPECT_EQ(PowerRecorder::Held(), resident && row.stored == 1 ? "DS" : "");
            row.step();
            EXPECT_EQ(PowerRecorder::Held(), row.held);
            EXPECT_EQ(StoredDisplayChoice(), row.storedAfter);
            if (FormMain) {
                EXPECT_EQ(FormMain->ppDisplay->Checked(), row.checked);
                EXPECT_EQ(Caption(FormMain->ppDisplay), row.caption);
                Destroy();
            }
            EXPECT_EQ(PowerRecorder::Held(), "");
            RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Policies");
            RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, InactivityPolicyKey, L"InactivityTimeoutSecs");
            StoreKeepDisplayOn(false);
            EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, SavedStateKey), ERROR_FILE_NOT_FOUND); // nothing left
            EXPECT_TRUE(FBoxes.Boxes().empty() || !resident);
            FBoxes.Clear();
        }
    }
}

// The hold's clock: real time moved by `shift`, from a start at a local time of the test's choosing.
ULONGLONG clockStart, clockShift;
ULONGLONG TestClock() { return clockStart + clockShift + GetTickCount64() * 10'000; }
void StartClockAt(WORD hour, WORD minute)
{
    const SYSTEMTIME local{2026, 12, 4, 10, hour, minute, 0, 0};
    SYSTEMTIME utc{};
    FILETIME moment{};
    TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc);
    SystemTimeToFileTime(&utc, &moment);
    clockStart = (ULONGLONG{moment.dwHighDateTime} << 32 | moment.dwLowDateTime) - GetTickCount64() * 10'000;
    clockShift = 0;
}

TEST_F(MainFormTest, TimedHoldEndsByItselfAndAnythingThatSwitchesOnCancelsIt)
{
    constexpr ULONGLONG Minute = 60ull * 10'000'000;
    static int balloons, watching;
    static std::wstring said;
    const ShellNotifyIconFn shell = ShellNotifyIcon;
    static ShellNotifyIconFn forward;
    forward = shell;
    ShellNotifyIcon = [](DWORD m, NOTIFYICONDATAW* d) {
        const bool balloon = (d->uFlags & NIF_INFO) && d->dwInfoFlags == (NIIF_INFO | NIIF_RESPECT_QUIET_TIME) &&
            !wcscmp(d->szInfoTitle, L"Lullwick");
        if (balloon) ++balloons, said = d->szInfo;
        return forward(m, d);
    };
    const SessionNotificationFn session =
        std::exchange(SessionNotification, [](HWND, bool on) { return watching += on ? 1 : -1, true; });
    const ClockFn clock = std::exchange(HoldClock, TestClock);
    ChooseNothing();
    const auto send = [](UINT msg, WPARAM w) { SendMessageW(FormMain->Handle(), msg, w, 0); };
    const auto ends = [&](ULONGLONG by) { clockShift += by, send(WM_TIMER, 2); };
    // An event stands for the program waited for.
    HANDLE app = nullptr; // the hold's own, as it closes it
    const auto appEnds = [&] { SetEvent(app), PumpUntil([] { return balloons > 0; }, 3000); };
    const std::wstring longName = L"R&D" + std::wstring(120, L'x') + L".exe";
    // An end while the session is locked: the profile gets the state, the session waits for the unlock.
    const auto refusedEnd = [&] {
        {
            const ScreenSaverChangesRefused refused;
            ends(60 * Minute);
            OpenMenu();
        }
        EXPECT_EQ(watching, 1);
        EXPECT_FALSE(GetScreenSaverActive());
        EXPECT_EQ(balloons, 0);
        wchar_t profile[4] = {};
        DWORD size = sizeof profile;
        RegGetValueW(
            HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"ScreenSaveActive", RRF_RT_REG_SZ, nullptr, profile, &size);
        EXPECT_STREQ(profile, L"1");
    };
    const struct {
        const char* name;
        bool startOn;
        WORD at;
        std::function<void()> act;
        bool after; // the screen saver's state afterwards
        int balloons;
        std::wstring until = L""; // in the status caption afterwards
        std::wstring app = L""; // the program held for instead of an hour
    } rows[] = {
        {"end", true, 17, [&] { ends(60 * Minute); }, true, 1},
        {"end found off", false, 17, [&] { ends(60 * Minute); }, false, 1},
        {"timer comes before", true, 17, [&] { ends(59 * Minute); }, false, 0, L"（18:00まで）"},
        {"replaced", true, 17, [] { SetScreenSaverActive(true), FormMain->ppHold240->Click(); }, false, 0,
            L"（21:00まで）"},
        {"cancelled", true, 17, [&] { FormMain->ppHoldCancel->Click(), ends(120 * Minute); }, false, 0},
        {"status on", true, 17, [&] { FormMain->ppStatusClick(nullptr), ends(120 * Minute); }, true, 0},
        {"switched on elsewhere, announced", true, 17,
            [&] {
                SetScreenSaverActive(true), send(WM_SETTINGCHANGE, SPI_SETSCREENSAVEACTIVE);
                EXPECT_EQ(FormMain->TrayIcon->IconResource(), L"OFFICON"); // before any menu looks
            },
            true, 0},
        {"passed in sleep", true, 17, [&] { clockShift += 61 * Minute, send(WM_POWERBROADCAST, PBT_APMRESUMESUSPEND); },
            true, 1},
        {"passed in an unattended sleep", true, 17,
            [&] { clockShift += 61 * Minute, send(WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC); }, true, 1},
        {"clock moved", true, 17,
            [&] {
                clockShift += 60 * Minute - 300'000, send(WM_TIMECHANGE, 0);
                PumpUntil([] { return balloons > 0; }, 3000);
            },
            true, 1},
        {"another day", true, 23, [] {}, false, 0, L"（12/11 0:00まで）"},
        {"refused, then unlocked", true, 17, [&] { refusedEnd(), send(WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK); },
            true, 1},
        {"refused, then the menu", true, 17, [&] { refusedEnd(), OpenMenu(); }, true, 1},
        {"refused, then the display back", true, 17,
            [&] {
                refusedEnd();
                for (const DWORD state : {1, 2, 0, 1}) { // as at the registration, then dimmed, off and on
                    EXPECT_FALSE(GetScreenSaverActive()) << state;
                    struct {
                        GUID setting;
                        DWORD size, state;
                    } change{DisplayStatusSetting(), 4, state};
                    SendMessageW(FormMain->Handle(), WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, LPARAM(&change));
                }
            },
            true, 1},
        {"refused, then exit", true, 17, [&] { refusedEnd(), Destroy(); }, true, 0},
        {"app ends", true, 17, appEnds, true, 1, L"", L"notepad.exe"},
        {"app with a long name", true, 17, [] {}, false, 0, L"（R&&D" + longName.substr(3) + L" の終了まで）",
            longName},
        {"under a policy", true, 17,
            [] { RegSetKeyValueW(HKEY_CURRENT_USER, ScreenSaverPolicyKey, L"ScreenSaveActive", REG_SZ, L"0", 4); },
            false, 0, L"（管理者による設定）（18:00まで）"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        SetScreenSaverActive(row.startOn);
        StartClockAt(row.at, 0);
        balloons = watching = 0;
        Create();
        TMenuItem* const item = row.app.empty() ? FormMain->ppHold60 : FormMain->ppHoldApp;
        if (row.app.empty()) {
            item->Click();
        } else {
            FormMain->ppHold60->Click(); // replaced
            app = CreateEventW(nullptr, TRUE, FALSE, nullptr);
            item->Click();
            auto* chooser = dynamic_cast<TFormChooseApp*>(FormMain->FindComponent("FormChooseApp"));
            ASSERT_TRUE(chooser);
            EXPECT_TRUE(chooser->OnChosen(UniqueKernelHandle(app), row.app));
            chooser->Close();
            FormMain->TrayIconMouseMove(nullptr, {}, 0, 0);
            const std::wstring tip = text::ToWide(FormMain->TrayIcon->TipHelp());
            // 127 characters hold 100 of the name.
            const std::wstring name = row.app.size() > 100 ? row.app.substr(0, 99) + L"…" : row.app;
            EXPECT_EQ(tip, L"Lullwick ＜現在の状態：無効（" + name + L" の終了まで）＞");
        }
        EXPECT_FALSE(GetScreenSaverActive());
        OpenMenu();
        EXPECT_TRUE(item->Checked() && !FormMain->ppHold30->Checked());
        EXPECT_TRUE(FormMain->ppHoldCancel->Enabled());
        EXPECT_EQ(FormMain->TrayIcon->IconResource(), L"MAINICON");
        row.act();
        EXPECT_EQ(GetScreenSaverActive(), row.after);
        EXPECT_EQ(balloons, row.balloons);
        if (balloons) {
            EXPECT_EQ(said,
                (row.app.empty() ? L"指定した時間が過ぎた" : L"「" + row.app + L"」が終了した") +
                    L"ため、スクリーンセーバーを元の設定に戻しました。");
        }
        EXPECT_EQ(watching, 0);
        if (!FormMain) continue;
        OpenMenu();
        EXPECT_EQ(Caption(FormMain->ppStatus),
            std::wstring(L"＜現在の状態\t：　") + (row.after ? L"有効" : L"無効") + row.until + L"＞");
        EXPECT_EQ(FormMain->ppHoldCancel->Enabled(), !row.until.empty());
        Destroy();
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Policies");
    ShellNotifyIcon = shell;
    SessionNotification = session;
    HoldClock = clock;
}

TEST_F(MainFormTest, SignInItemShowsAndSetsTheRunValueForThisProgram)
{
    const std::wstring program = ProgramPath();
    const std::wstring quoted = L"\"" + program + L"\"";
    std::wstring upper = quoted;
    CharUpperW(upper.data());
    const auto run = [](const std::wstring& value) {
        RegSetKeyValueW(HKEY_CURRENT_USER, RunKey, SignInValue, REG_SZ, value.c_str(),
            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    };
    const auto approved = [](DWORD type, BYTE first) {
        const BYTE data[12] = {first, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8};
        RegSetKeyValueW(HKEY_CURRENT_USER, StartupApprovedKey, SignInValue, type, data, type == REG_DWORD ? 4 : 12);
    };
    const auto value = [](const wchar_t* key) {
        wchar_t text[MAX_PATH * 2] = L"";
        DWORD size = sizeof text;
        const LSTATUS s = RegGetValueW(HKEY_CURRENT_USER, key, SignInValue, RRF_RT_ANY, nullptr, text, &size);
        return s == ERROR_SUCCESS ? std::wstring(text) : L"none";
    };
    const struct {
        const char* name;
        std::function<void()> before;
        bool checked; // at the menu's opening, and after choosing the item
        bool checkedAfter;
        std::wstring runAfter;
        bool approvedStays = true;
        bool refused = false;
    } rows[] = {
        {"absent", [] {}, false, true, quoted},
        {"here, in other case", [&] { run(upper); }, true, false, L"none"},
        {"elsewhere", [&] { run(L"\"C:\\Old\\Lullwick.exe\""); }, false, true, quoted},
        {"switched off in Startup apps", [&] { run(quoted), approved(REG_BINARY, 3); }, false, true, quoted, false},
        {"switched on in Startup apps", [&] { run(quoted), approved(REG_BINARY, 6); }, true, false, L"none"},
        {"an odd value of another type", [&] { run(quoted), approved(REG_DWORD, 7); }, true, false, L"none"},
        {"a refused write", [] {}, false, false, L"none", true, true},
    };
    Create();
    ChooseNothing();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        row.before();
        const bool hadApproved = value(StartupApprovedKey) != L"none";
        OpenMenu();
        EXPECT_EQ(FormMain->ppSignIn->Checked(), row.checked);
        if (row.refused)
            ProfileSetValue = [](HKEY, const wchar_t*, const wchar_t*, DWORD, const void*, DWORD) -> LSTATUS {
                return ERROR_ACCESS_DENIED;
            };
        FormMain->ppSignIn->Click();
        ProfileSetValue = RegSetKeyValueW;
        EXPECT_EQ(FormMain->ppSignIn->Checked(), row.checkedAfter);
        EXPECT_EQ(value(RunKey), row.runAfter);
        EXPECT_EQ(value(StartupApprovedKey) != L"none", hadApproved && row.approvedStays);
        RegDeleteKeyValueW(HKEY_CURRENT_USER, RunKey, SignInValue);
        RegDeleteKeyValueW(HKEY_CURRENT_USER, StartupApprovedKey, SignInValue);
    }
}

TEST_F(MainFormTest, StoredHotKeyIsHeldFromStartAndTogglesAsTheStatusItemDoes)
{
    const HotKeyRecorder hotKeys;
    static int beeps;
    static std::vector<std::wstring> balloons; // "flags text": the info flags, and NIF_REALTIME
    static ShellNotifyIconFn forward;
    forward = ShellNotifyIcon;
    ShellNotifyIcon = [](DWORD m, NOTIFYICONDATAW* d) {
        if (d->uFlags & NIF_INFO)
            balloons.push_back(std::to_wstring(d->dwInfoFlags | (d->uFlags & NIF_REALTIME)) + L" " + d->szInfo);
        return forward(m, d);
    };
    HotKeyBeep = [](UINT type) -> BOOL { return beeps += type == MB_ICONWARNING, TRUE; };
    static const wchar_t* line;
    ProcessCommandLine = [] { return const_cast<LPWSTR>(line); };
    const auto press = [] { SendMessageW(FormMain->Handle(), WM_HOTKEY, THotKeyRegistration::Id, 0); };
    const std::wstring on =
        L"スクリーンセーバーの状態を 『有効』 に変更しました。\r\r（待ち時間は 10分に設定されています）";
    const struct {
        const char* name;
        DWORD stored;
        bool taken; // by another first
        const char* held; // at start, and at the end
        const wchar_t* caption;
        std::wstring balloon; // after start-up, or after the key
        const wchar_t* line = L"Lullwick.exe";
    } rows[] = {
        {"Ctrl+Alt+K", 0x064B, false, "+4003:4B - ", L"ホットキー（Ctrl+Alt+K） ...", L"81 " + on},
        {"taken", 0x064B, true, "!4003:4B ", L"ホットキー（Ctrl+Alt+K：使用できません） ...",
            L"130 ホットキー（Ctrl+Alt+K）は他のアプリが使用しているため、使用できません。"},
        {"not a key the dialog gives", 0x004B, false, "", L"ホットキー（なし） ...", L""},
        {"one job", 0x064B, false, "", L"ホットキー（なし） ...", L"", L"Lullwick.exe /a"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        line = row.line;
        SetScreenSaverActive(false);
        SetSaverSeconds(600);
        HotKeyRecorder::log.clear();
        balloons.clear();
        if (row.stored) RegSetKeyValueW(HKEY_CURRENT_USER, SavedStateKey, HotKeyValue, REG_DWORD, &row.stored, 4);
        if (row.taken) RegisterHotKey(nullptr, 1, MOD_CONTROL | MOD_ALT, 'K');
        Create();
        EXPECT_EQ(Caption(FormMain->ppHotKey), row.caption);
        if (*row.held == '+') {
            press();
            EXPECT_TRUE(GetScreenSaverActive());
            // Under a policy the key changes nothing, and says so.
            RegSetKeyValueW(HKEY_CURRENT_USER, ScreenSaverPolicyKey, L"ScreenSaveActive", REG_SZ, L"0", 4);
            beeps = 0;
            press();
            EXPECT_EQ(beeps, 1);
            EXPECT_TRUE(GetScreenSaverActive());
            RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Policies");
        }
        EXPECT_EQ(balloons, row.balloon.empty() ? std::vector<std::wstring>{} : std::vector{row.balloon});
        Destroy();
        EXPECT_EQ(HotKeyRecorder::log, row.held);
        EXPECT_TRUE(FBoxes.Boxes().empty() || wcschr(row.line, L'/'));
        UnregisterHotKey(nullptr, 1);
        StoreHotKey(0);
    }
    HotKeyBeep = MessageBeep;
    ShellNotifyIcon = forward;
}

TEST_F(MainFormTest, ShiftAtOpeningDecidesTheExitItem)
{
    Create();
    ChooseNothing();
    EXPECT_EQ(FormMain->ppExit->Tag(), 0);
    SetShiftHeld(true);
    OpenMenu();
    EXPECT_EQ(Caption(FormMain->ppExit), L"無効状態で終了");
    EXPECT_EQ(FormMain->ppExit->Tag(), 1);
    SetShiftHeld(false);
    EXPECT_EQ(FormMain->ppExit->Tag(), 1); // only the next opening reads it again
    OpenMenu();
    EXPECT_EQ(Caption(FormMain->ppExit), L"終了");
    EXPECT_EQ(FormMain->ppExit->Tag(), 0);
    // Shift+F10 on the icon opens the menu from the keyboard: Shift asks for nothing then.
    SetShiftHeld(true);
    SendMessageW(CallbackWindow->Handle(), WM_TRAYNOTIFY, 0, MAKELPARAM(WM_CONTEXTMENU, FormMain->TrayIcon->TrayId()));
    EXPECT_EQ(FormMain->ppExit->Tag(), 0);
}

TEST_F(MainFormTest, ShiftExitLeavesTheScreenSaverOff)
{
    SetScreenSaverActive(true);
    Create();
    ChooseNothing();
    SetShiftHeld(true);
    OpenMenu();
    SetShiftHeld(false);
    FormMain->ppExitClick(nullptr);
    EXPECT_TRUE(TakeQuitMessage());
    Destroy();
    EXPECT_FALSE(GetScreenSaverActive());
}

TEST_F(MainFormTest, StatusItemTogglesAndTwiceLeavesTheState)
{
    Create();
    const bool before = GetScreenSaverActive();
    FormMain->ppStatusClick(nullptr);
    EXPECT_EQ(GetScreenSaverActive(), !before);
    EXPECT_EQ(Caption(FormMain->ppStatus), std::wstring(L"＜現在の状態\t：　") + (before ? L"無効" : L"有効") + L"＞");
    FormMain->ppStatusClick(nullptr);
    EXPECT_EQ(GetScreenSaverActive(), before);
}

TEST_F(MainFormTest, TipReadsTipHelpUntilTheFirstMouseMove)
{
    Create();
    EXPECT_EQ(FormMain->TrayIcon->TipHelp(), "TipHelp");
    SendMessageW(
        CallbackWindow->Handle(), WM_TRAYNOTIFY, static_cast<WPARAM>(FormMain->TrayIcon->TrayId()), WM_MOUSEMOVE);
    EXPECT_EQ(text::ToWide(FormMain->TrayIcon->TipHelp()), L"Lullwick ＜現在の状態：無効＞");
    SetScreenSaverActive(true);
    SendMessageW(
        CallbackWindow->Handle(), WM_TRAYNOTIFY, static_cast<WPARAM>(FormMain->TrayIcon->TrayId()), WM_MOUSEMOVE);
    EXPECT_EQ(text::ToWide(FormMain->TrayIcon->TipHelp()), L"Lullwick ＜現在の状態：有効＞");
}

TEST_F(MainFormTest, ExecuteWaitsASecondThenSwitchesOnAndStarts)
{
    Create();
    ASSERT_FALSE(GetScreenSaverActive());
    // What holds while it waits: the milliseconds, the flag, the starts so far.
    static std::vector<std::tuple<DWORD, bool, int>> waits;
    waits.clear();
    ExecuteDelay = [](DWORD ms) { waits.emplace_back(ms, GetScreenSaverActive(), executed); };
    FormMain->ppExecuteClick(nullptr);
    ExecuteDelay = Sleep;
    EXPECT_EQ(waits, (std::vector<std::tuple<DWORD, bool, int>>{{1000, false, 0}}));
    EXPECT_TRUE(GetScreenSaverActive());
    EXPECT_EQ(executed, 1);
}

TEST_F(MainFormTest, VersionWindowShowsCentredOnceAndKeepsItsPlace)
{
    const WorkAreaFn original = ScreenWorkArea;
    Create();
    // A work area that is not the whole screen, as with a taskbar at the left and the top.
    ScreenWorkArea = [] { return RECT{100, 40, 700, 440}; };
    FormMain->ppVersionClick(nullptr);
    ScreenWorkArea = original;
    ASSERT_TRUE(IsWindowVisible(FormMain->Handle()));
    EXPECT_NEAR(FormMain->Left() + FormMain->Width() / 2, 400, 1);
    EXPECT_NEAR(FormMain->Top() + FormMain->Height() / 2, 240, 1);
    RECT client;
    GetClientRect(FormMain->Handle(), &client);
    EXPECT_EQ(client.right, 274);
    EXPECT_EQ(client.bottom, 208);
    FormMain->ButtonCloseClick(nullptr);
    EXPECT_FALSE(IsWindowVisible(FormMain->Handle()));
    FormMain->SetBounds(10, 20, FormMain->Width(), FormMain->Height());
    FormMain->ppVersionClick(nullptr);
    EXPECT_EQ(FormMain->Left(), 10);
    EXPECT_EQ(FormMain->Top(), 20);
    EXPECT_EQ(FormMain->LabelVersion->Text(), std::string("Ver.") + ProgramVersion);
    // Task Manager and the list of start-up apps show the version resource's description as the name.
    wchar_t self[MAX_PATH] = {}, *description = nullptr;
    UINT length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::vector<BYTE> info(GetFileVersionInfoSizeW(self, nullptr));
    ASSERT_TRUE(GetFileVersionInfoW(self, 0, static_cast<DWORD>(info.size()), info.data()) &&
        VerQueryValueW(info.data(), L"\\StringFileInfo\\041104B0\\FileDescription",
            reinterpret_cast<void**>(&description), &length));
    EXPECT_STREQ(description, L"Lullwick");
    EXPECT_EQ(text::ToWide(FormMain->ButtonClose->Text()), L"閉じる");
}

TEST_F(MainFormTest, CloseBoxHidesAndEveryOtherCloseEndsTheProgram)
{
    Create();
    FormMain->ppVersionClick(nullptr);
    RECT r;
    GetWindowRect(FormMain->Handle(), &r);
    // Over the close box at the right end of the title bar.
    const int caption = GetSystemMetrics(SM_CYCAPTION);
    SetCursorPos(
        r.right - GetSystemMetrics(SM_CXFRAME) - caption / 2 - 1, r.top + GetSystemMetrics(SM_CYFRAME) + caption / 2);
    POINT p;
    GetCursorPos(&p);
    ASSERT_EQ(SendMessageW(FormMain->Handle(), WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y)), HTCLOSE);
    SendMessageW(FormMain->Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindowVisible(FormMain->Handle()));
    EXPECT_FALSE(TakeQuitMessage());
    // Hidden, it still answers the hit test there; the exit item must end the program all the same.
    ASSERT_EQ(SendMessageW(FormMain->Handle(), WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y)), HTCLOSE);
    FormMain->ppExitClick(nullptr);
    EXPECT_TRUE(TakeQuitMessage());

    // The same request with the pointer elsewhere ends the program.
    SetCursorPos(r.left + 30, r.top + 60);
    SendMessageW(FormMain->Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(TakeQuitMessage());
}

TEST_F(MainFormTest, EveryShowingAfterATrayMenuFocusesTheCloseButtonForEnterAndEsc)
{
    Create();
    ChooseNothing();
    const HWND other =
        CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    // Shown by a later click, after another window took the foreground, or by the menu's own item,
    // while the form is still the foreground window it was made for the menu.
    for (const bool byTheMenuItem : {false, true}) {
        for (const WORD key : {VK_RETURN, VK_ESCAPE, VK_RETURN}) {
            SCOPED_TRACE(testing::Message() << "by the menu item " << byTheMenuItem << ", key " << key);
            SetForegroundWindow(FormMain->Handle());
            PumpFor(20);
            OpenMenu();
            if (!byTheMenuItem) SetForegroundWindow(other);
            PumpFor(20);
            FormMain->ppVersionClick(nullptr);
            PumpUntil([] { return GetFocus() == FormMain->ButtonClose->Handle(); }, 1000);
            ASSERT_EQ(GetFocus(), FormMain->ButtonClose->Handle());
            PostMessageW(GetFocus(), WM_KEYDOWN, key, 1);
            PostMessageW(GetFocus(), WM_KEYUP, key, 0xC0000001);
            PumpFor(30);
            EXPECT_FALSE(IsWindowVisible(FormMain->Handle()));
        }
    }
    DestroyWindow(other);
    EXPECT_FALSE(TakeQuitMessage());
}

TEST_F(MainFormTest, OpenedOnAMonitorAt144PpiScaledAndInTheSystemsColours)
{
    Create();
    const WindowDpiFn original = std::exchange(WindowPixelsPerInch, [](HWND) -> UINT { return 144; });
    FormMain->ppVersionClick(nullptr);
    WindowPixelsPerInch = original;
    RECT client;
    GetClientRect(FormMain->Handle(), &client);
    EXPECT_EQ(client.right, 411);
    EXPECT_EQ(client.bottom, 312);
    EXPECT_EQ(FormMain->Font().Height(), -18);
    EXPECT_EQ(FormMain->LabelTitle->Font().Height(), -24);
    EXPECT_TRUE(FormMain->Label3->ParentFont());
    EXPECT_EQ(FormMain->ButtonClose->Left(), 288);
    EXPECT_EQ(FormMain->ButtonClose->Width(), 113); // rounded, as MulDiv does
    EXPECT_EQ(FormMain->ImageIcon->Width(), 48);
    EXPECT_EQ(FormMain->PanelVersion->Height(), 242);
    const int face = COLOR_BTNTEXT; // set apart from the window's, as a contrast theme does
    const COLORREF saved = GetSysColor(face), apart = GetSysColor(COLOR_WINDOWTEXT) ^ 0x123456;
    SetSysColors(1, &face, &apart);
    const HDC dc = CreateCompatibleDC(nullptr); // labels write in the face's text colour
    SetTextColor(dc, RGB(1, 2, 3));
    SendMessageW(FormMain->PanelVersion->Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
        reinterpret_cast<LPARAM>(FormMain->Label3->Handle()));
    SetSysColors(1, &face, &saved);
    EXPECT_EQ(GetTextColor(dc), apart);
    DeleteDC(dc);
}

TEST(HelpFile, SitsBesideTheProgram)
{
    const struct {
        const wchar_t* program;
        const wchar_t* help;
    } cases[] = {
        {L"C:\\Program Files\\Lullwick\\Lullwick.exe", L"C:\\Program Files\\Lullwick\\Lullwick.hlp"},
        {L"\\\\server\\tools.v2\\Lullwick.exe", L"\\\\server\\tools.v2\\Lullwick.hlp"},
        {L"Z:/home/user/Lullwick.exe", L"Z:/home/user/Lullwick.hlp"},
        {L"Lullwick.exe", L"Lullwick.hlp"},
    };
    for (const auto& c : cases) EXPECT_EQ(FileBeside(c.program, L"Lullwick.hlp"), c.help) << c.program;
    // This test program lives in the build tree's "tests" folder.
    EXPECT_TRUE(HelpFilePath().ends_with(L"\\tests\\Lullwick.hlp")) << HelpFilePath();
}

// A folder of its own holding what the help item may find beside the program.
class HelpFolder {
public:
    explicit HelpFolder(std::initializer_list<const wchar_t*> files)
    {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        FPath = std::wstring(temp) + L"lullwick-help-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
        CreateDirectoryW(FPath.c_str(), nullptr);
        for (const wchar_t* f : files) {
            FFiles.push_back(FPath + f);
            CloseHandle(CreateFileW(FFiles.back().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        }
    }
    ~HelpFolder()
    {
        for (const auto& f : FFiles) DeleteFileW(f.c_str());
        RemoveDirectoryW(FPath.c_str());
    }
    std::wstring operator/(const wchar_t* name) const { return FPath + name; }

private:
    std::wstring FPath;
    std::vector<std::wstring> FFiles;
};

DWORD WINAPI ApartmentAfterTakingCom(void*)
{
    ComApartment{}; // taken and given back at once
    APTTYPE type{};
    APTTYPEQUALIFIER qualifier{};
    return static_cast<DWORD>(CoGetApartmentType(&type, &qualifier));
}

TEST_F(MainFormTest, HelpOpensTheGuideOrElseTheHelpFileOrNamesTheMissingGuide)
{
    static std::vector<std::wstring> calls;
    static INT_PTR shellResult = 42;
    static std::wstring com; // the flags of each taking of COM on this thread so far
    static const ComInitializeFn originalCom = ComInitialize;
    ComInitialize = [](void* reserved, DWORD flags) {
        com += std::to_wstring(flags) + L";";
        return originalCom(reserved, flags);
    };
    const HelpViewerFn originalViewer = HelpViewer;
    const ShellOpenFn originalShell = ShellOpen;
    HelpViewer = [](HWND, const wchar_t* file, UINT command, ULONG_PTR) -> BOOL {
        calls.push_back(L"help " + std::wstring(file) + L" " + std::to_wstring(command));
        return TRUE;
    };
    ShellOpen = [](HWND, const wchar_t* operation, const wchar_t* file, const wchar_t*, const wchar_t*,
                    INT show) -> HINSTANCE {
        calls.push_back(std::wstring(operation) + L" " + file + L" " + std::to_wstring(show) + L" com " + com);
        return reinterpret_cast<HINSTANCE>(shellResult);
    };
    Create();
    EXPECT_EQ(com, L""); // not at start-up
    const std::wstring missing = L"ヘルプが見つかりません。\r";
    const std::wstring refused = L"ヘルプを開けません。\r";
    const struct {
        std::initializer_list<const wchar_t*> files;
        INT_PTR shellResult;
        const wchar_t* call; // with the folder in front of the file
        const std::wstring* box;
    } cases[] = {
        {{L"Lullwick.hlp", L"guide.html"}, 42, L"open %guide.html 1 com 6;", nullptr},
        {{L"guide.html"}, 42, L"open %guide.html 1 com 6;", nullptr},
        {{L"guide.html"}, SE_ERR_NOASSOC, L"open %guide.html 1 com 6;", &refused},
        {{L"Lullwick.hlp"}, 42, L"help %Lullwick.hlp 11", nullptr},
        {{L"Lullwick.html", L"guide.txt"}, 42, nullptr, &missing},
    };
    for (const auto& c : cases) {
        const HelpFolder folder(c.files);
        calls.clear();
        FBoxes.Clear();
        shellResult = c.shellResult;
        Application->SetHelpFile(folder / L"Lullwick.hlp");
        FormMain->ppHelpClick(nullptr);
        std::vector<std::wstring> expected;
        if (c.call) {
            std::wstring call = c.call;
            call.replace(call.find(L'%'), 1, folder / L"");
            expected.push_back(call);
        }
        EXPECT_EQ(calls, expected);
        ASSERT_EQ(FBoxes.Boxes().size(), c.box ? 1u : 0u);
        if (c.box) {
            EXPECT_EQ(FBoxes.Boxes()[0].text, *c.box + (folder / L"guide.html"));
            EXPECT_EQ(FBoxes.Boxes()[0].caption, L"Lullwick");
            EXPECT_EQ(FBoxes.Boxes()[0].style, static_cast<UINT>(MB_OK | MB_ICONERROR));
        }
    }
    HelpViewer = originalViewer;
    ShellOpen = originalShell;
    ComInitialize = originalCom;
    // It is given back when it goes, which a thread that had no COM before shows.
    const UniqueKernelHandle thread(CreateThread(nullptr, 0, ApartmentAfterTakingCom, nullptr, 0, nullptr));
    DWORD after = 0;
    WaitForSingleObject(thread.get(), 10000);
    GetExitCodeThread(thread.get(), &after);
    EXPECT_EQ(static_cast<HRESULT>(after), CO_E_NOTINITIALIZED);
}

TEST(FailedRun, IsReportedInAnErrorBoxAndEndsWithOne)
{
    MessageBoxRecorder boxes;
    const auto failure = std::make_exception_ptr(Exception(text::FromUtf8("ウィンドウを作成できません。")));
    EXPECT_EQ(ReportFailedRun(failure, L"Lullwick"), 1);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, L"ウィンドウを作成できません。");
    EXPECT_EQ(boxes.Boxes()[0].caption, L"Lullwick");
    EXPECT_EQ(boxes.Boxes()[0].style, static_cast<UINT>(MB_OK | MB_ICONERROR | MB_SETFOREGROUND));
}

TEST_F(MainFormTest, TrayNotReadyAtStartIsAskedAgainQuietlyThenTheProgramGivesUp)
{
    // As at sign-in: the tray refuses adds for a while, or for good.
    static int refusals = 0;
    ShellNotifyIcon = [](DWORD m, NOTIFYICONDATAW* d) -> BOOL {
        if (m == NIM_ADD && refusals > 0) return --refusals, FALSE;
        return Shell_NotifyIconW(m, d);
    };
    const TTrayRetry original = std::exchange(TrayRetry, {40, 4});
    const struct {
        const char* name;
        int refusalsAtStart, refusalsAtNewTaskbar;
        bool added;
    } rows[] = {
        {"a new taskbar takes it", 1000, 0, true},
        {"a later attempt takes it", 1000, 2, true},
        {"never", 1000, 1000, false},
        {"a new taskbar refuses it for good", 0, 1000, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        refusals = row.refusalsAtStart;
        SetScreenSaverActive(true);
        Create();
        // The job is done before the icon comes.
        EXPECT_FALSE(GetScreenSaverActive());
        EXPECT_EQ(FormMain->TrayIcon->Registered(), row.refusalsAtStart == 0);
        EXPECT_FALSE(Application->ShowMainForm());
        refusals = row.refusalsAtNewTaskbar;
        SendMessageW(Application->Handle(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
        EXPECT_EQ(FormMain->TrayIcon->Registered(), row.refusalsAtNewTaskbar == 0);
        // Giving up ends the message loop with the error, as a failed start.
        const unsigned quits = Application->QuitRequests();
        const bool ended = PumpUntil([quits] { return Application->QuitRequests() != quits; }, row.added ? 1000 : 5000);
        EXPECT_EQ(ended, !row.added);
        EXPECT_EQ(FormMain->TrayIcon->Registered(), row.added);
        if (ended) {
            EXPECT_THROW(Application->Run(), ENotifyIconError);
        }
        for (const auto& box : FBoxes.Boxes()) ADD_FAILURE() << testing::PrintToString(box.text);
        Destroy();
        EXPECT_TRUE(GetScreenSaverActive());
    }
    TrayRetry = original;
    ShellNotifyIcon = [](DWORD m, NOTIFYICONDATAW* d) { return Shell_NotifyIconW(m, d); };
}

TEST_F(MainFormTest, ShiftExitAfterARefusedTrayIconLeavesTheScreenSaverOff)
{
    // The icon can come back with a new taskbar; leaving off is the user's own choice then too.
    SetScreenSaverActive(true);
    ShellNotifyIcon = [](DWORD, NOTIFYICONDATAW*) -> BOOL { return FALSE; };
    Create();
    ShellNotifyIcon = [](DWORD m, NOTIFYICONDATAW* d) { return Shell_NotifyIconW(m, d); };
    ChooseNothing();
    SetShiftHeld(true);
    OpenMenu();
    SetShiftHeld(false);
    Destroy();
    EXPECT_FALSE(GetScreenSaverActive());
}

TEST(FormDescriptions, EveryOneLoads)
{
    // A misspelt name must fail here, not at a user's start.
    ScreenSaverSettingsGuard settings;
    MessageBoxRecorder boxes;
    ProcessCommandLine = NoParameters;
    const auto load = [](TForm* form, const char* description) {
        EXPECT_NO_THROW(form->Load(description)) << form->Name();
        Free(form);
    };
    load(new TFormMain(Application), TFormMain::Description);
    load(new TFormSetTimeout(Application), TFormSetTimeout::Description);
    load(new TFormHotKey(Application), TFormHotKey::Description);
    ProcessCommandLine = GetCommandLineW;
    EXPECT_TRUE(boxes.Boxes().empty());
    RemoveSavedState();
    TakeQuitMessage();
}

TEST_F(MainFormTest, CommandLineOptionIsTheWholeRun)
{
    ProcessCommandLine = []() -> LPWSTR {
        static wchar_t line[] = L"Lullwick.exe /a";
        return line;
    };
    SetScreenSaverActive(false);
    Create();
    EXPECT_TRUE(TakeQuitMessage());
    EXPECT_FALSE(FormMain->TrayIcon->Visible()); // a one-job run puts no icon into the tray
    EXPECT_TRUE(GetScreenSaverActive()); // not switched off again for the moment
    Destroy();
    EXPECT_TRUE(GetScreenSaverActive());
}

} // namespace
