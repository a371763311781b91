#pragma once
// What the program holds and why: the screen saver off, the display and the
// system kept on, the end of a hold and the timer or wait for it, a put-back
// that waits, and the session notices.  Events change the hold's kind or a fact
// around it; Wanted gives what is held from them, and the shell applies only
// what changed.  The screen saver itself is switched by the events, as the
// system's answer decides the kind: a refused change keeps it, and the end
// puts back the recorded state, not "on".  Used on the user-interface thread only.
#include "app/KeepDisplayOn.h"
#include "app/ProcessWait.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

enum class THoldKind { None, OpenEnded, UntilTime, UntilProcess };

// The facts that decide what is held.
struct THoldFacts {
    THoldKind kind = THoldKind::None;
    // The user's choice to keep the display on and the system awake while holding.
    bool keepDisplayOn = false;
    // An administrator sets the screen saver or an inactivity limit: the display and the lock are theirs.
    bool lockByPolicy = false;
    bool locked = false;
    bool connected = true;
    // A hold's end came while the system refused to put the state back.
    bool putBackWaits = false;
};

struct THeld {
    bool display = false;
    bool system = false;
    bool sessionNotices = false;
    bool timer = false;
    bool wait = false;
    // The screen saver is held off by this program, which the tray shows.
    bool holding = false;
    bool operator==(const THeld&) const = default;
};

constexpr THeld Wanted(const THoldFacts& f)
{
    const bool holding = f.kind != THoldKind::None;
    const bool wanted = holding && f.keepDisplayOn;
    // A screen nobody looks at is let go, and with it the system unless a hold with an end still runs.
    const bool present = !f.locked && f.connected;
    const bool ends = f.kind == THoldKind::UntilTime || f.kind == THoldKind::UntilProcess;
    // The notices stay under a policy too: a lock lets the system go when no end would.
    return {wanted && present && !f.lockByPolicy, wanted && (present || ends), wanted || f.putBackWaits,
        f.kind == THoldKind::UntilTime, f.kind == THoldKind::UntilProcess, holding};
}

// The time now as a FILETIME, in 100-ns units since 1601 (UTC); tests replace it.
using ClockFn = ULONGLONG (*)();
extern ClockFn HoldClock;

// Whether the administrator's policy decides the display and the lock; tests replace it.
using PolicyReadFn = bool (*)();
extern PolicyReadFn LockPolicyRead;

class THoldingRules {
public:
    THoldingRules() = default;
    THoldingRules(const THoldingRules&) = delete;
    THoldingRules& operator=(const THoldingRules&) = delete;
    ~THoldingRules() { Exit(false); }

    // The resident start: records the state to put back, switches the screen saver off and holds it so,
    // with the timer and the notices going to `window`.
    void Start(HWND window);
    // The end: lets go of everything and puts the recorded state back, or leaves the screen saver off.
    void Exit(bool leaveOff);

    // The user's choices.
    void ToggleScreenSaver();
    void SwitchOnForStart();
    void HoldUntil(ULONGLONG end);
    // Holds until the program of `process`, called `fileName`, ends; false, with nothing changed, when the
    // system refuses to wait for it.
    bool HoldUntilProcess(UniqueKernelHandle process, std::wstring fileName);
    void CancelEnd();
    void ChooseKeepDisplayOn(bool on);

    // What the system tells or what is found.
    void Look();
    void PolicyChanged();
    void SessionChanged(WPARAM event);
    void ClockChanged();
    void Resumed();
    void DisplayCameOn();
    // A wait's ProcessEnded message: a program waited for ended.
    void ProcessEnded(WPARAM generation);

    const THoldFacts& Facts() const { return FFacts; }
    std::optional<ULONGLONG> End() const;
    // The file name of the program whose end is awaited, or empty.
    const std::wstring& App() const;
    // A hold's end came and the state is back: `app` names the program that ended, empty at a timed end.
    std::function<void(const std::wstring& app)> OnPutBack;
    // The hold began or ended, whatever the cause: Facts().kind tells which.
    std::function<void()> OnChanged;

    static constexpr UINT_PTR Timer = 2;
    static constexpr UINT ProcessEndedMessage = WM_APP + 2;

private:
    void SetKind(THoldKind kind);
    void CheckEnd();
    void Ended();
    void RetryPutBack();
    void Apply(bool renew = false);

    HWND FWindow = nullptr;
    THoldFacts FFacts;
    ULONGLONG FEnd = 0;
    std::wstring FApp;
    TProcessWait FWait;
    // Tells the newest wait's message from one an older wait posted before it was stopped.
    WPARAM FGeneration = 0;
    THeld FHeld;
    TDisplayRequest FPower;
    // The state found at start; empty when start-up never switched the screen saver off.
    std::optional<bool> FSaved;
    // This run's record of that state is in the user profile.
    bool FStored = false;
};
