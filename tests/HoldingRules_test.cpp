#include "app/HoldingRules.h"
#include "app/SavedState.h"
#include "app/Session.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>
#include <wtsapi32.h>

#include <optional>
#include <utility>
#include <vector>

namespace {

constexpr ULONGLONG Minute = 60ull * 10'000'000;

enum class Ev {
    Start,
    Lock,
    Unlock,
    Disconnect, // from the console
    Connect, // by Remote Desktop
    RemoteDisconnect,
    ConsoleConnect,
    UnheardUnlock, // while nobody listened
    RefuseNotices, // the next registration
    PolicyArrives, // announced by the system
    PolicyGoes,
    PolicyAtMenu, // a policy found by the menu's opening
    Hold60,
    Pass59,
    Pass60,
    SleepPast, // the end passes while the system sleeps, and it resumes
    SystemEnds, // the system ends the program's requests, as at a lid close
    Resume,
    DisplayOn,
    Toggle,
    StartNow,
    Menu, // the menu's opening
    OnElsewhere, // found by the menu's opening
    Cancel,
    DisplayChoice,
    Refuse,
    Allow,
    Exit,
    HoldApp, // until a program ends
    AppEnds,
    StaleEnd, // the program ends, and a new hold begins before its message is read
    WaitRefused, // the system refuses to wait for the next program
};

struct Step {
    Ev ev;
    // What is held afterwards: O the screen saver off, D the display, S the system, N the session notices,
    // H the hold as the tray shows it, W the wait for a program's end.
    const char* held;
};

ULONGLONG now;
bool policy;
TSessionState session;
int notices;
bool refuseNotices;
int waits;
bool refuseWait;

class HoldingRulesTest : public testing::Test {
protected:
    HoldingRulesTest()
    {
        HoldClock = [] { return now; };
        LockPolicyRead = [] { return policy; };
        SessionQuery = [] { return session; };
        SessionNotification = [](HWND, bool on) {
            if (on && std::exchange(refuseNotices, false)) return false;
            return notices += on ? 1 : -1, true;
        };
        WaitCalls = {
            [](PHANDLE wait, HANDLE object, WAITORTIMERCALLBACK callback, PVOID context, ULONG ms, ULONG flags) {
                EXPECT_EQ(flags, static_cast<ULONG>(WT_EXECUTEONLYONCE));
                if (std::exchange(refuseWait, false)) return FALSE;
                ++waits;
                return RegisterWaitForSingleObject(wait, object, callback, context, ms, flags);
            },
            [](HANDLE wait, HANDLE completion) {
                EXPECT_EQ(completion, INVALID_HANDLE_VALUE) << "a callback could outlive its wait";
                --waits;
                return UnregisterWaitEx(wait, completion);
            }};
    }
    ~HoldingRulesTest() override
    {
        HoldClock = FClock;
        LockPolicyRead = FPolicy;
        SessionQuery = FQuery;
        SessionNotification = FNotification;
        WaitCalls = FWaitCalls;
        DestroyWindow(FWindow);
    }

    void Run(THoldingRules& rules, Ev ev)
    {
        switch (ev) {
        case Ev::Start:
            return rules.Start(FWindow);
        case Ev::Lock:
            return Tell(rules, WTS_SESSION_LOCK, session.locked = true);
        case Ev::Unlock:
            return Tell(rules, WTS_SESSION_UNLOCK, session.locked = false);
        case Ev::Disconnect:
            return Tell(rules, WTS_CONSOLE_DISCONNECT, session.connected = false);
        case Ev::Connect:
            return Tell(rules, WTS_REMOTE_CONNECT, session.connected = true);
        case Ev::RemoteDisconnect:
            return Tell(rules, WTS_REMOTE_DISCONNECT, session.connected = false);
        case Ev::ConsoleConnect:
            return Tell(rules, WTS_CONSOLE_CONNECT, session.connected = true);
        case Ev::UnheardUnlock:
            return Unheard(session.locked = false);
        case Ev::RefuseNotices:
            return refuseNotices = true, void();
        case Ev::PolicyArrives:
            return policy = true, rules.PolicyChanged();
        case Ev::PolicyGoes:
            return policy = false, rules.PolicyChanged();
        case Ev::PolicyAtMenu:
            return policy = true, rules.Look();
        case Ev::Hold60:
            return rules.HoldUntil(now + 60 * Minute);
        case Ev::Pass59:
            return now += 59 * Minute, rules.ClockChanged();
        case Ev::Pass60:
            return now += 60 * Minute, rules.ClockChanged();
        case Ev::SleepPast:
            return now += 61 * Minute, rules.Resumed();
        case Ev::SystemEnds:
            return PowerRecorder::SystemEndsRequests();
        case Ev::Resume:
            return rules.Resumed();
        case Ev::DisplayOn:
            return rules.DisplayCameOn();
        case Ev::Toggle:
            return rules.ToggleScreenSaver();
        case Ev::StartNow:
            return rules.SwitchOnForStart();
        case Ev::Menu:
            return rules.Look();
        case Ev::OnElsewhere:
            return SetScreenSaverActive(true), rules.Look();
        case Ev::Cancel:
            return rules.CancelEnd();
        case Ev::DisplayChoice:
            return rules.ChooseKeepDisplayOn(!rules.Facts().keepDisplayOn);
        case Ev::Refuse:
            return FRefused.emplace(), void();
        case Ev::Allow:
            return FRefused.reset();
        case Ev::Exit:
            return rules.Exit(false);
        case Ev::HoldApp:
            return HoldApp(rules);
        case Ev::AppEnds:
            return SetEvent(FApp), rules.ProcessEnded(Posted());
        case Ev::StaleEnd: {
            SetEvent(FApp);
            const WPARAM stale = Posted();
            HoldApp(rules);
            return rules.ProcessEnded(stale);
        }
        case Ev::WaitRefused:
            refuseWait = true;
            EXPECT_FALSE(rules.HoldUntilProcess(UniqueKernelHandle(CreateEventW(nullptr, TRUE, FALSE, nullptr)), L"x"));
            return;
        }
    }

    // An event stands for the program: its end is the event set.  The rules own it, and close it with the hold.
    void HoldApp(THoldingRules& rules)
    {
        FApp = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        EXPECT_TRUE(rules.HoldUntilProcess(UniqueKernelHandle(FApp), L"notepad.exe"));
    }

    // The wait's message, as the pool posts it.
    WPARAM Posted() const
    {
        constexpr UINT message = THoldingRules::ProcessEndedMessage;
        MSG msg{};
        for (const DWORD start = GetTickCount(); !PeekMessageW(&msg, FWindow, message, message, PM_REMOVE);)
            if (GetTickCount() - start > 5000) return ADD_FAILURE() << "no message", 0;
            else MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_POSTMESSAGE);
        return msg.wParam;
    }

    // The session's news, as the system tells it only while the notices are registered.
    static void Tell(THoldingRules& rules, WPARAM event, bool)
    {
        EXPECT_EQ(notices, 1) << "told while nobody listened";
        rules.SessionChanged(event);
    }

    static void Unheard(bool) { EXPECT_EQ(notices, 0) << "nobody listens"; }

    const ScreenSaverSettingsGuard FSettings;
    const HWND FWindow = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    std::optional<ScreenSaverChangesRefused> FRefused;
    const ClockFn FClock = HoldClock;
    const PolicyReadFn FPolicy = LockPolicyRead;
    const SessionQueryFn FQuery = SessionQuery;
    const SessionNotificationFn FNotification = SessionNotification;
    const TWaitCalls FWaitCalls = WaitCalls;
    HANDLE FApp = nullptr;
};

TEST_F(HoldingRulesTest, WhatIsHeldFollowsTheHoldTheSessionAndThePolicy)
{
    using E = Ev;
    const struct {
        const char* name;
        bool policy;
        TSessionState session; // as read when the notices are registered
        std::vector<Step> steps;
        // T a timed end put back, A a program's end.
        const char* putBacks = "";
    } rows[] = {
        {"policy at start", true, {},
            {{E::Start, "OHSN"}, {E::Lock, "OHN"}, {E::Unlock, "OHSN"}, {E::Hold60, "OHSN"}, {E::Lock, "OHSN"},
                {E::Unlock, "OHSN"}}},
        {"policy arrives and goes", false, {},
            {{E::Start, "OHDSN"}, {E::PolicyArrives, "OHSN"}, {E::PolicyGoes, "OHDSN"}, {E::PolicyAtMenu, "OHSN"}}},
        {"lock, open-ended", false, {}, {{E::Start, "OHDSN"}, {E::Lock, "OHN"}, {E::Unlock, "OHDSN"}}},
        {"lock, timed", false, {},
            {{E::Start, "OHDSN"}, {E::Hold60, "OHDSN"}, {E::Lock, "OHSN"}, {E::Unlock, "OHDSN"}, {E::Pass60, ""}}, "T"},
        {"disconnect, connect while locked", false, {},
            {{E::Start, "OHDSN"}, {E::Disconnect, "OHN"}, {E::Connect, "OHDSN"}, {E::Lock, "OHN"},
                {E::RemoteDisconnect, "OHN"}, {E::ConsoleConnect, "OHN"}, {E::Unlock, "OHDSN"}}},
        {"locked start", false, {true, true}, {{E::Start, "OHN"}, {E::Hold60, "OHSN"}, {E::Unlock, "OHDSN"}}},
        {"timed end while locked, read again at the next hold", false, {},
            {{E::Start, "OHDSN"}, {E::Hold60, "OHDSN"}, {E::Lock, "OHSN"}, {E::Pass60, ""}, {E::UnheardUnlock, ""},
                {E::Hold60, "OHDSN"}},
            "T"},
        {"disconnected start", false, {false, false}, {{E::Start, "OHN"}, {E::Connect, "OHDSN"}}},
        {"resume", false, {},
            {{E::Start, "OHDSN"}, {E::SystemEnds, "OHN"}, {E::Resume, "OHDSN"}, {E::Lock, "OHN"}, {E::Resume, "OHN"}}},
        {"the display back", false, {}, {{E::Start, "OHDSN"}, {E::SystemEnds, "OHN"}, {E::DisplayOn, "OHDSN"}}},
        {"timed end", false, {}, {{E::Start, "OHDSN"}, {E::Hold60, "OHDSN"}, {E::Pass59, "OHDSN"}, {E::Pass60, ""}},
            "T"},
        {"end passed in sleep", false, {}, {{E::Start, "OHDSN"}, {E::Hold60, "OHDSN"}, {E::SleepPast, ""}}, "T"},
        {"put-back waits through a lock", false, {},
            {{E::Start, "OHDSN"}, {E::Hold60, "OHDSN"}, {E::Lock, "OHSN"}, {E::Refuse, "OHSN"}, {E::Pass60, "ON"},
                {E::Allow, "ON"}, {E::Resume, "ON"}, {E::Unlock, ""}},
            "T"},
        {"put-back waits for the display", false, {},
            {{E::Start, "OHDSN"}, {E::Hold60, "OHDSN"}, {E::Refuse, "OHDSN"}, {E::Pass60, "ON"}, {E::Allow, "ON"},
                {E::DisplayOn, ""}},
            "T"},
        {"put-back waits for the menu", false, {},
            {{E::Start, "OHDSN"}, {E::Hold60, "OHDSN"}, {E::Refuse, "OHDSN"}, {E::Pass60, "ON"}, {E::Allow, "ON"},
                {E::Menu, ""}},
            "T"},
        {"exit while a put-back waits", false, {},
            {{E::Start, "OHDSN"}, {E::Hold60, "OHDSN"}, {E::Refuse, "OHDSN"}, {E::Pass60, "ON"}, {E::Exit, "O"}}},
        {"exit while locked", false, {}, {{E::Start, "OHDSN"}, {E::Lock, "OHN"}, {E::Exit, ""}}},
        {"status item", false, {}, {{E::Start, "OHDSN"}, {E::Hold60, "OHDSN"}, {E::Toggle, ""}, {E::Toggle, "OHDSN"}}},
        {"start now", false, {}, {{E::Start, "OHDSN"}, {E::Hold60, "OHDSN"}, {E::StartNow, ""}}},
        {"switched on elsewhere", false, {}, {{E::Start, "OHDSN"}, {E::Hold60, "OHDSN"}, {E::OnElsewhere, ""}}},
        {"notices refused, asked again", false, {}, {{E::RefuseNotices, ""}, {E::Start, "OHDS"}, {E::Menu, "OHDSN"}}},
        {"exit during a timed hold", false, {}, {{E::Start, "OHDSN"}, {E::Hold60, "OHDSN"}, {E::Exit, ""}}},
        {"cancelled", false, {},
            {{E::Start, "OHDSN"}, {E::Hold60, "OHDSN"}, {E::Cancel, "OHDSN"}, {E::Pass60, "OHDSN"}}},
        {"display choice", false, {},
            {{E::Start, "OHDSN"}, {E::Hold60, "OHDSN"}, {E::DisplayChoice, "OH"}, {E::DisplayChoice, "OHDSN"},
                {E::Pass60, ""}},
            "T"},
        {"app ends, kept through a lock", false, {},
            {{E::Start, "OHDSN"}, {E::HoldApp, "OHDSNW"}, {E::Lock, "OHSNW"}, {E::Unlock, "OHDSNW"}, {E::AppEnds, ""}},
            "A"},
        {"app and timed holds replace each other", false, {},
            {{E::Start, "OHDSN"}, {E::Hold60, "OHDSN"}, {E::HoldApp, "OHDSNW"}, {E::Pass60, "OHDSNW"},
                {E::Hold60, "OHDSN"}, {E::Pass60, ""}},
            "T"},
        {"app hold cancelled, and once more after its end", false, {},
            {{E::Start, "OHDSN"}, {E::HoldApp, "OHDSNW"}, {E::Cancel, "OHDSN"}, {E::HoldApp, "OHDSNW"},
                {E::AppEnds, ""}, {E::Cancel, ""}},
            "A"},
        {"status item during an app hold", false, {},
            {{E::Start, "OHDSN"}, {E::HoldApp, "OHDSNW"}, {E::Toggle, ""}, {E::Toggle, "OHDSN"}}},
        {"exit during an app hold", false, {}, {{E::Start, "OHDSN"}, {E::HoldApp, "OHDSNW"}, {E::Exit, ""}}},
        {"stale end of a replaced wait", false, {},
            {{E::Start, "OHDSN"}, {E::HoldApp, "OHDSNW"}, {E::StaleEnd, "OHDSNW"}, {E::AppEnds, ""}}, "A"},
        {"put-back refused at the app's end", false, {},
            {{E::Start, "OHDSN"}, {E::HoldApp, "OHDSNW"}, {E::Refuse, "OHDSNW"}, {E::AppEnds, "ON"}, {E::Allow, "ON"},
                {E::Menu, ""}},
            "A"},
        {"wait refused: the timed hold stays", false, {},
            {{E::Start, "OHDSN"}, {E::Hold60, "OHDSN"}, {E::WaitRefused, "OHDSN"}, {E::Pass60, ""}}, "T"},
        {"app hold while the screen saver is on", false, {},
            {{E::Start, "OHDSN"}, {E::Toggle, ""}, {E::HoldApp, "OHDSNW"}, {E::AppEnds, ""}}, "A"},
    };
    // The real query under Wine, which has no lock: unlocked and connected.
    EXPECT_FALSE(FQuery().locked);
    EXPECT_TRUE(FQuery().connected);
    using M = PowerRecorder::Mode;
    for (const M mode : {M::Requests, M::NoRequest, M::RequestRefused}) {
        for (const auto& row : rows) {
            SCOPED_TRACE(testing::Message() << row.name << ", mode " << static_cast<int>(mode));
            const PowerRecorder power(mode);
            policy = row.policy, session = row.session, notices = 0, waits = 0, now = 100'000 * Minute;
            SetScreenSaverActive(true);
            StoreKeepDisplayOn(true);
            std::string putBacks;
            {
                bool shown = false; // the hold, as told
                THoldingRules rules;
                rules.OnPutBack = [&putBacks](const std::wstring& app) {
                    putBacks += app.empty() ? "T" : app == L"notepad.exe" ? "A" : "?";
                };
                rules.OnChanged = [&] {
                    EXPECT_NE(shown, rules.Facts().kind != THoldKind::None) << "told of no change";
                    shown = !shown;
                };
                for (const Step& step : row.steps) {
                    SCOPED_TRACE(testing::Message() << "after step " << (&step - row.steps.data()));
                    Run(rules, step.ev);
                    const std::string held = step.held;
                    std::string power;
                    for (const char c : held) power += c == 'D' || c == 'S' ? std::string(1, c) : "";
                    EXPECT_EQ(!GetScreenSaverActive(), held.find('O') != std::string::npos);
                    EXPECT_EQ(PowerRecorder::Held(), power);
                    EXPECT_EQ(notices, held.find('N') != std::string::npos ? 1 : 0);
                    EXPECT_EQ(shown, held.find('H') != std::string::npos);
                    EXPECT_EQ(waits, held.find('W') != std::string::npos ? 1 : 0);
                }
                // A timer runs only with a timed hold; taken here, it is armed again by a look at the clock.
                const bool timer = KillTimer(FWindow, THoldingRules::Timer) != FALSE;
                EXPECT_EQ(timer, rules.End().has_value());
                if (timer) rules.ClockChanged();
            }
            EXPECT_FALSE(KillTimer(FWindow, THoldingRules::Timer));
            EXPECT_EQ(putBacks, row.putBacks);
            // Nothing outlives the rules.
            EXPECT_EQ(PowerRecorder::Held(), "");
            EXPECT_EQ(notices, 0);
            EXPECT_EQ(waits, 0);
            FRefused.reset();
            StoreKeepDisplayOn(false);
            RemoveSavedState();
        }
    }
    EXPECT_EQ(PowerRecorder::reason, L"Lullwick：画面を消さない（スリープ防止）");
}

TEST(SessionState, ReadFromWhatTheSystemReports)
{
    constexpr LONG Lock = 0, Unlock = 1, Unknown = -1;
    const struct {
        std::optional<LONG> flags;
        bool windows8;
        std::optional<INT> connect;
        bool locked, connected;
    } cases[] = {
        {Lock, true, WTSActive, true, true}, {Unlock, true, WTSDisconnected, false, false},
        {Unknown, true, WTSConnected, false, true},
        {Lock, false, WTSActive, false, true}, // Windows 7 has the flags the other way round
        {Unlock, false, WTSActive, true, true}, {std::nullopt, true, std::nullopt, false, true}, // a query that failed
    };
    for (const auto& c : cases) {
        const TSessionState state = SessionStateFrom(c.flags, c.windows8, c.connect);
        EXPECT_EQ(state.locked, c.locked) << c.flags.value_or(99) << " " << c.windows8;
        EXPECT_EQ(state.connected, c.connected) << c.connect.value_or(99);
    }
}

} // namespace
