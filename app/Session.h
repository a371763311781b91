#pragma once
// What the system tells of this session: whether it is locked or connected,
// and when the display comes back on.
#include <windows.h>

#include <optional>

struct TSessionState {
    bool locked = false;
    bool connected = true;
};

// Asks the system to tell `window` of locks, unlocks, connects and disconnects
// and of the session's display turning on, or stops it; false when the system
// would tell nothing.  Tests replace it.
using SessionNotificationFn = bool (*)(HWND window, bool on);
extern SessionNotificationFn SessionNotification;

// The session's state now; a query that fails counts as unlocked and connected. Tests replace it.
using SessionQueryFn = TSessionState (*)();
extern SessionQueryFn SessionQuery;

// Whether a power-setting change (the lParam of PBT_POWERSETTINGCHANGE) says the session's display turned on
// after it was off.  The first change after the registration only tells how the display is.
bool DisplayTurnedOn(LPARAM setting);
// The setting that DisplayTurnedOn reads, on this system.
const GUID& DisplayStatusSetting();

// The session's state from what the system reports: the session flags of WTSSessionInfoEx, whose two values
// Windows 7 has the other way round, and the connect state; a part that could not be read counts as
// unlocked or connected.
TSessionState SessionStateFrom(std::optional<LONG> flags, bool windows8, std::optional<INT> connectState);
