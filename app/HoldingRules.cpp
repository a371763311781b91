#include "app/HoldingRules.h"

#include "app/Lifecycle.h"
#include "app/Session.h"
#include "app/cm_lullwick.h"

#include <algorithm>

namespace {

ULONGLONG SystemClock()
{
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return ULONGLONG{now.dwHighDateTime} << 32 | now.dwLowDateTime;
}

} // namespace

ClockFn HoldClock = SystemClock;
PolicyReadFn LockPolicyRead = LockSetByPolicy;

void THoldingRules::Start(HWND window)
{
    FWindow = window;
    FFacts = {THoldKind::None, LoadKeepDisplayOn(), LockPolicyRead()};
    FSaved = StateToPutBack();
    FStored = StoreForThisRun(*FSaved);
    SetScreenSaverActive(false);
    SetKind(THoldKind::OpenEnded);
}

void THoldingRules::Exit(bool leaveOff)
{
    SetKind(THoldKind::None); // nothing outlives the run
    // A run that never recorded the state (a one-job run, a start that failed) writes nothing.
    RestoreAtExit(std::exchange(FSaved, std::nullopt), leaveOff, FStored);
}

void THoldingRules::ToggleScreenSaver()
{
    if (const bool on = !GetScreenSaverActive(); SetScreenSaverActive(on))
        SetKind(on ? THoldKind::None : THoldKind::OpenEnded);
}

void THoldingRules::SwitchOnForStart()
{
    SetScreenSaverActive(true);
    SetKind(THoldKind::None);
}

void THoldingRules::HoldUntil(ULONGLONG end)
{
    if (GetScreenSaverActive()) SetScreenSaverActive(false); // held off from now on
    FFacts.putBackWaits = false;
    FFacts.kind = THoldKind::UntilTime;
    FEnd = end;
    FApp.clear();
    CheckEnd();
}

bool THoldingRules::HoldUntilProcess(UniqueKernelHandle process, std::wstring fileName)
{
    TProcessWait wait(std::move(process), FWindow, ProcessEndedMessage, FGeneration + 1);
    if (!wait) return false;
    FWait = std::move(wait);
    ++FGeneration;
    FApp = std::move(fileName);
    if (GetScreenSaverActive()) SetScreenSaverActive(false); // as a timed hold does
    SetKind(THoldKind::UntilProcess);
    return true;
}

void THoldingRules::CancelEnd()
{
    // A menu opened before the end came offers it still: an ended hold is not taken up again.
    if (FFacts.kind == THoldKind::UntilTime || FFacts.kind == THoldKind::UntilProcess) SetKind(THoldKind::OpenEnded);
}

void THoldingRules::ChooseKeepDisplayOn(bool on)
{
    // A profile that refuses the choice still has it applied for this run.
    StoreKeepDisplayOn(on);
    FFacts.keepDisplayOn = on;
    Apply();
}

void THoldingRules::Look()
{
    RetryPutBack(); // one refused while the session was locked
    // A screen saver switched on elsewhere is no longer held off; a policy's state was never ours to hold.
    if (GetScreenSaverActive() && !ScreenSaverSetByPolicy()) SetKind(THoldKind::None);
    PolicyChanged();
}

void THoldingRules::PolicyChanged()
{
    FFacts.lockByPolicy = LockPolicyRead();
    Apply();
}

void THoldingRules::SessionChanged(WPARAM event)
{
    switch (event) {
    case WTS_SESSION_LOCK:
        FFacts.locked = true;
        break;
    case WTS_SESSION_UNLOCK:
        FFacts.locked = false;
        RetryPutBack();
        break;
    case WTS_CONSOLE_CONNECT:
    case WTS_REMOTE_CONNECT:
        FFacts.connected = true;
        break;
    case WTS_CONSOLE_DISCONNECT:
    case WTS_REMOTE_DISCONNECT:
        FFacts.connected = false;
        break;
    default:
        return;
    }
    Apply();
}

// The timer does not count while the system sleeps, and the clock may have moved: the end is read afresh.
void THoldingRules::ClockChanged() { CheckEnd(); }

void THoldingRules::Resumed()
{
    CheckEnd();
    // The system may have ended the requests while it slept.
    Apply(true);
}

// On systems that sleep without resuming (Modern Standby), the display coming back is the only sign of it.
void THoldingRules::DisplayCameOn()
{
    RetryPutBack(); // refused while the display was off
    Resumed();
}

void THoldingRules::ProcessEnded(WPARAM generation)
{
    if (FFacts.kind == THoldKind::UntilProcess && generation == FGeneration) Ended();
}

std::optional<ULONGLONG> THoldingRules::End() const
{
    if (FFacts.kind != THoldKind::UntilTime) return std::nullopt;
    return FEnd;
}

const std::wstring& THoldingRules::App() const
{
    static const std::wstring none;
    return FFacts.kind == THoldKind::UntilProcess ? FApp : none;
}

void THoldingRules::SetKind(THoldKind kind)
{
    // Whatever holds anew or lets go is newer than a timed hold and its put-back.
    FFacts.kind = kind;
    FFacts.putBackWaits = false;
    Apply();
}

void THoldingRules::CheckEnd()
{
    if (FFacts.kind == THoldKind::UntilTime && HoldClock() >= FEnd) return Ended();
    Apply();
}

void THoldingRules::Ended()
{
    // The end puts back what an exit would, and the program stays.
    FFacts.kind = THoldKind::None;
    FFacts.putBackWaits = true;
    RetryPutBack();
    Apply();
}

void THoldingRules::RetryPutBack()
{
    if (!FFacts.putBackWaits || !FSaved || !PutBackScreenSaverActive(*FSaved)) return;
    FFacts.putBackWaits = false;
    Apply();
    if (OnPutBack) OnPutBack(FApp);
}

void THoldingRules::Apply(bool renew)
{
    THeld wanted = Wanted(FFacts);
    if (wanted.sessionNotices != FHeld.sessionNotices && FWindow) {
        // Noted first: a message handled during the call may apply the rules again.
        FHeld.sessionNotices = wanted.sessionNotices;
        // A registration the system refused is asked for again at the next event.
        if (!SessionNotification(FWindow, wanted.sessionNotices) && wanted.sessionNotices) FHeld.sessionNotices = false;
        // Nothing was told while nobody listened.
        if (wanted.sessionNotices) {
            const TSessionState session = SessionQuery();
            FFacts.locked = session.locked;
            FFacts.connected = session.connected;
            wanted = Wanted(FFacts);
        }
    }
    if (renew) FPower.Renew();
    FPower.Hold(wanted.display, wanted.system);
    if (wanted.timer && FWindow) {
        const ULONGLONG now = HoldClock();
        // Rounded up, so that the timer never comes before the end.
        const ULONGLONG left = FEnd > now ? (FEnd - now + 9'999) / 10'000 : 0;
        SetTimer(FWindow, Timer, static_cast<UINT>(std::min<ULONGLONG>(left, USER_TIMER_MAXIMUM)), nullptr);
    } else if (FHeld.timer && FWindow) {
        KillTimer(FWindow, Timer);
    }
    if (!wanted.wait) FWait.Stop();
    const bool changed = wanted.holding != FHeld.holding;
    FHeld = {wanted.display, wanted.system, FHeld.sessionNotices, wanted.timer, wanted.wait, wanted.holding};
    // Told last, with everything applied: what the handler does may apply the rules again.
    if (changed && OnChanged) OnChanged();
}
