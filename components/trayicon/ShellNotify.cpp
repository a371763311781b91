#include "components/trayicon/ShellNotify.h"

#include "framework/Handles.h"

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

UINT PlatformTrayDpi()
{
    // Looked up: systems before Windows 10 do not have it, and draw at the system's DPI.
    using DpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto dpiForWindow = reinterpret_cast<DpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    // The taskbar's scale is its monitor's, which may differ from the one the program started on.
    const HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
    if (const UINT dpi = dpiForWindow && taskbar ? dpiForWindow(taskbar) : 0) return dpi;
    const ScreenDC screen;
    return static_cast<UINT>(GetDeviceCaps(screen.get(), LOGPIXELSY));
}

} // namespace

ShellNotifyIconFn ShellNotifyIcon = NotifyPlatformShell;
AllowMessageFn AllowWindowMessage = AllowPlatformMessage;
ForegroundFn BringToForeground = PlatformForeground;
TrayDpiFn TrayDpi = PlatformTrayDpi;
