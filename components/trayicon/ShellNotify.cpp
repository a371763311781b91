#include "components/trayicon/ShellNotify.h"

namespace {

BOOL NotifyPlatformShell(DWORD message, NOTIFYICONDATAW* data) { return Shell_NotifyIconW(message, data); }

} // namespace

ShellNotifyIconFn ShellNotifyIcon = NotifyPlatformShell;
