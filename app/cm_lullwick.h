#pragma once
// The only access to the system's screen-saver settings.  Each operation is
// one platform call; none reports failure.  The settings belong to the user
// profile: nothing is cached here.
#include <windows.h>

bool GetScreenSaverActive();
void SetScreenSaverActive(bool active);
// Whole minutes (the system holds seconds; the remainder is dropped).
int GetScreenSaverTimeout();
void SetScreenSaverTimeout(int minutes);
// Starts the screen saver now, through the application window's default handling.
void ExecuteScreenSaver();

// Sends the screen-saver command to a window; tests replace it to watch for it.
using SendSystemCommandFn = LRESULT (*)(HWND window, WPARAM command);
extern SendSystemCommandFn SendSystemCommand;
