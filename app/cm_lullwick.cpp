#include "app/cm_lullwick.h"

#include "framework/Application.h"
#include "framework/Handles.h"

namespace {

LRESULT SendPlatformSystemCommand(HWND window, WPARAM command)
{
    return SendMessageW(window, WM_SYSCOMMAND, command, 0);
}

BOOL PlatformSystemParameters(UINT action, UINT param, void* data, UINT winIni)
{
    return SystemParametersInfoW(action, param, data, winIni);
}

} // namespace

SendSystemCommandFn SendSystemCommand = SendPlatformSystemCommand;
SystemParametersFn SystemParameters = PlatformSystemParameters;
ProfileSetValueFn ProfileSetValue = RegSetKeyValueW;

bool GetScreenSaverActive()
{
    BOOL active = FALSE;
    SystemParameters(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
    return active != FALSE;
}

bool SetScreenSaverActive(bool active)
{
    // Written to the profile so it outlasts the program; no change broadcast.
    SystemParameters(SPI_SETSCREENSAVEACTIVE, active ? 1 : 0, nullptr, SPIF_UPDATEINIFILE);
    // What the system holds is the answer.  The query also delivers a change
    // that some systems queue for the display server without sending it.
    return GetScreenSaverActive() == active;
}

bool PutBackScreenSaverActive(bool active)
{
    if (SetScreenSaverActive(active)) return true;
    // Where the system keeps the setting between sessions; the running session keeps its own.
    const wchar_t flag[] = {active ? L'1' : L'0', L'\0'};
    ProfileSetValue(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"ScreenSaveActive", REG_SZ, flag, sizeof flag);
    return false;
}

int GetScreenSaverTimeout()
{
    INT seconds = 0;
    SystemParameters(SPI_GETSCREENSAVETIMEOUT, 0, &seconds, 0);
    return seconds / 60;
}

void SetScreenSaverTimeout(int minutes)
{
    // Signed 32-bit multiplication that wraps instead of overflowing.
    const UINT seconds = static_cast<UINT>(minutes) * 60u;
    SystemParameters(SPI_SETSCREENSAVETIMEOUT, seconds, nullptr, SPIF_UPDATEINIFILE);
}

void ExecuteScreenSaver() { SendSystemCommand(Application->Handle(), SC_SCREENSAVE); }

bool ScreenSaverSetByPolicy()
{
    return RegGetValueW(HKEY_CURRENT_USER, ScreenSaverPolicyKey, L"ScreenSaveActive", RRF_RT_ANY, nullptr, nullptr,
               nullptr) == ERROR_SUCCESS;
}

bool LockSetByPolicy()
{
    if (ScreenSaverSetByPolicy()) return true;
    HKEY opened = nullptr;
    // The machine's own view, also from the 32-bit program.
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, InactivityPolicyKey, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &opened) !=
        ERROR_SUCCESS)
        return false;
    const UniqueRegistryKey key(opened);
    DWORD seconds = 0;
    DWORD size = sizeof seconds;
    return RegGetValueW(key.get(), nullptr, L"InactivityTimeoutSecs", RRF_RT_REG_DWORD, nullptr, &seconds, &size) ==
        ERROR_SUCCESS &&
        seconds > 0;
}
