#include "app/cm_lullwick.h"

#include "framework/Application.h"

namespace {

LRESULT SendPlatformSystemCommand(HWND window, WPARAM command)
{
    return SendMessageW(window, WM_SYSCOMMAND, command, 0);
}

} // namespace

SendSystemCommandFn SendSystemCommand = SendPlatformSystemCommand;

bool GetScreenSaverActive()
{
    BOOL active = FALSE;
    SystemParametersInfoW(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
    return active != FALSE;
}

void SetScreenSaverActive(bool active)
{
    // Written to the profile so it outlasts the program; no change broadcast.
    SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, active ? 1 : 0, nullptr, SPIF_UPDATEINIFILE);
}

int GetScreenSaverTimeout()
{
    INT seconds = 0;
    SystemParametersInfoW(SPI_GETSCREENSAVETIMEOUT, 0, &seconds, 0);
    return seconds / 60;
}

void SetScreenSaverTimeout(int minutes)
{
    // Signed 32-bit multiplication that wraps instead of overflowing.
    const UINT seconds = static_cast<UINT>(minutes) * 60u;
    SystemParametersInfoW(SPI_SETSCREENSAVETIMEOUT, seconds, nullptr, SPIF_UPDATEINIFILE);
}

void ExecuteScreenSaver() { SendSystemCommand(Application->Handle(), SC_SCREENSAVE); }
