#pragma once
// The only access to the system's screen-saver settings.  The settings belong
// to the user profile: nothing is cached here.
#include <windows.h>

bool GetScreenSaverActive();
// True when the system holds `active` afterwards: it can refuse a change (a
// policy, missing rights, a locked or sleeping machine).
bool SetScreenSaverActive(bool active);
// Puts the user's state back.  When the system refuses (a locked session, a
// display in power saving), the state is written into the profile itself, so
// that the next sign-in starts with it.  True when the running session took it.
bool PutBackScreenSaverActive(bool active);
// Whole minutes (the system holds seconds; the remainder is dropped).
int GetScreenSaverTimeout();
void SetScreenSaverTimeout(int minutes);
// Starts the screen saver now, through the application window's default handling.
void ExecuteScreenSaver();

// Sends the screen-saver command to a window; tests replace it to watch for it.
using SendSystemCommandFn = LRESULT (*)(HWND window, WPARAM command);
extern SendSystemCommandFn SendSystemCommand;

// The system's settings call; tests replace it to make the system refuse a change.
using SystemParametersFn = BOOL (*)(UINT action, UINT param, void* data, UINT winIni);
extern SystemParametersFn SystemParameters;

// Whether the administrator sets the screen saver by policy; the system then
// applies the policy's state whatever is written.
bool ScreenSaverSetByPolicy();
inline constexpr wchar_t ScreenSaverPolicyKey[] = L"Software\\Policies\\Microsoft\\Windows\\Control Panel\\Desktop";
// Whether the administrator decides when the session locks: a policy sets the
// screen saver, or the machine locks after a set time without input.
bool LockSetByPolicy();
inline constexpr wchar_t InactivityPolicyKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
// Writes a value of the user profile; tests replace it to watch the write.
using ProfileSetValueFn = LSTATUS(WINAPI*)(
    HKEY root, const wchar_t* key, const wchar_t* name, DWORD type, const void* data, DWORD size);
extern ProfileSetValueFn ProfileSetValue;
