#pragma once
// The tray's doors to the platform; tests replace them to watch or refuse.
#include <windows.h>
#include <shellapi.h>

// The shell's notification area.
using ShellNotifyIconFn = BOOL (*)(DWORD message, NOTIFYICONDATAW* data);
extern ShellNotifyIconFn ShellNotifyIcon;

// Lets `message` reach `window` from processes with fewer rights, so that an
// elevated program hears of a new taskbar; FALSE where the system lacks it.
using AllowMessageFn = BOOL (*)(HWND window, UINT message);
extern AllowMessageFn AllowWindowMessage;

// Brings a window to the foreground, which a tray click allows only briefly.
using ForegroundFn = BOOL (*)(HWND window);
extern ForegroundFn BringToForeground;

// Pixels per inch at which the notification area shows its icons.
using TrayDpiFn = UINT (*)();
extern TrayDpiFn TrayDpi;
