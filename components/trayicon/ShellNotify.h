#pragma once
// The one door to the shell's notification area; tests replace it to watch or refuse.
#include <windows.h>
#include <shellapi.h>

using ShellNotifyIconFn = BOOL (*)(DWORD message, NOTIFYICONDATAW* data);
extern ShellNotifyIconFn ShellNotifyIcon;
