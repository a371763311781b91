#include "components/trayicon/ShellNotify.h"

namespace {

BOOL NotifyPlatformShell(DWORD message, NOTIFYICONDATAW* data) { return Shell_NotifyIconW(message, data); }

BOOL AllowPlatformMessage(HWND window, UINT message)
{
    // Looked up: systems before Windows 7 do not have it.
    using ChangeFilterFn = BOOL(WINAPI*)(HWND, UINT, DWORD, CHANGEFILTERSTRUCT*);
    static const auto changeFilter = reinterpret_cast<ChangeFilterFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "ChangeWindowMessageFilterEx")));
    return changeFilter && changeFilter(window, message, MSGFLT_ALLOW, nullptr);
}

BOOL PlatformForeground(HWND window) { return SetForegroundWindow(window); }

} // namespace

ShellNotifyIconFn ShellNotifyIcon = NotifyPlatformShell;
AllowMessageFn AllowWindowMessage = AllowPlatformMessage;
ForegroundFn BringToForeground = PlatformForeground;
