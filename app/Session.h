#pragma once
// What the system tells of this session: whether it is locked or connected,
// and when the display comes back on.
#include <windows.h>

struct TSessionState {
    bool locked = false;
    bool connected = true;
};

// Asks the system to tell `window` of locks, unlocks, connects and disconnects
// and of the session's display coming back on, or stops it; tests replace it.
using SessionNotificationFn = void (*)(HWND window, bool on);
extern SessionNotificationFn SessionNotification;

// The session's state now; a query that fails counts as unlocked and connected. Tests replace it.
using SessionQueryFn = TSessionState (*)();
extern SessionQueryFn SessionQuery;

// Whether a power-setting change (the lParam of PBT_POWERSETTINGCHANGE) says the session's display is on.
bool DisplayCameOn(LPARAM setting);
// The setting that DisplayCameOn reads, on this system.
const GUID& DisplayStatusSetting();
