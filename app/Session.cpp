#include "app/Session.h"

#include "framework/Handles.h"
#include "framework/Library.h"

#include <versionhelpers.h>
#include <wtsapi32.h>

#include <cstddef>
#include <cstring>
#include <optional>
#include <utility>

namespace {

// GUID_SESSION_DISPLAY_STATUS (Windows 8 on) is this session's display, also under Remote Desktop, where the
// console's is another; Windows 7 has only GUID_MONITOR_POWER_ON.
constexpr GUID SessionDisplayStatus{0x2b84c20e, 0xad23, 0x4ddf, {0x93, 0xdb, 0x05, 0xff, 0xbd, 0x7e, 0xfc, 0xa5}};
constexpr GUID MonitorPowerOn{0x02731015, 0x4510, 0x4526, {0x99, 0xe6, 0xe5, 0xa1, 0x7e, 0xbd, 0x1a, 0xea}};

// WTSSessionInfoEx and the head of its WTSINFOEX_LEVEL1_W, which the MinGW headers lack.
constexpr int SessionInfoEx = 25;
constexpr LONG SessionStateLock = 0, SessionStateUnlock = 1;
struct SessionInfo {
    DWORD Level;
    // The level's union holds a LARGE_INTEGER: it starts on 8 bytes, on 32-bit systems too.
    struct alignas(8) Level1 {
        ULONG SessionId;
        INT SessionState;
        LONG SessionFlags;
    } Data;
};
static_assert(offsetof(SessionInfo, Data) == 8 &&
    offsetof(SessionInfo, Data) + offsetof(SessionInfo::Level1, SessionFlags) == 16);

// The display's state as last told since the registration; Unknown until the first change.
constexpr DWORD DisplayUnknown = 0xFFFFFFFF;
DWORD displayState = DisplayUnknown;

struct WtsLibrary {
    // Looked up when first needed: many runs never watch the session.
    UniqueModule library{LoadSystemLibrary(L"wtsapi32.dll")};
    decltype(&WTSRegisterSessionNotification) start =
        LibraryEntry<decltype(start)>(library.get(), "WTSRegisterSessionNotification");
    decltype(&WTSUnRegisterSessionNotification) stop =
        LibraryEntry<decltype(stop)>(library.get(), "WTSUnRegisterSessionNotification");
    decltype(&WTSQuerySessionInformationW) query =
        LibraryEntry<decltype(query)>(library.get(), "WTSQuerySessionInformationW");
    decltype(&WTSFreeMemory) free = LibraryEntry<decltype(free)>(library.get(), "WTSFreeMemory");
};

const WtsLibrary& Wts()
{
    static const WtsLibrary wts;
    return wts;
}

// This session's information of one kind, or none.
template <class T>
std::optional<T> QuerySession(WTS_INFO_CLASS kind)
{
    const WtsLibrary& wts = Wts();
    if (!wts.query || !wts.free) return std::nullopt;
    wchar_t* data = nullptr;
    DWORD size = 0;
    std::optional<T> value;
    if (wts.query(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION, kind, &data, &size) && data && size >= sizeof(T)) {
        value.emplace();
        std::memcpy(&*value, data, sizeof(T));
    }
    if (data) wts.free(data);
    return value;
}

bool PlatformSessionNotification(HWND window, bool on)
{
    const WtsLibrary& wts = Wts();
    static HPOWERNOTIFY display = nullptr;
    if (display) UnregisterPowerSettingNotification(std::exchange(display, nullptr));
    if (!on) return !wts.stop || wts.stop(window);
    displayState = DisplayUnknown;
    display = RegisterPowerSettingNotification(window, &DisplayStatusSetting(), DEVICE_NOTIFY_WINDOW_HANDLE);
    return wts.start && wts.start(window, NOTIFY_FOR_THIS_SESSION);
}

TSessionState PlatformSessionQuery()
{
    const auto info = QuerySession<SessionInfo>(static_cast<WTS_INFO_CLASS>(SessionInfoEx));
    const std::optional<LONG> flags =
        info && info->Level == 1 ? std::optional<LONG>(info->Data.SessionFlags) : std::nullopt;
    return SessionStateFrom(flags, IsWindows8OrGreater(), QuerySession<INT>(WTSConnectState));
}

} // namespace

SessionNotificationFn SessionNotification = PlatformSessionNotification;
SessionQueryFn SessionQuery = PlatformSessionQuery;

const GUID& DisplayStatusSetting() { return IsWindows8OrGreater() ? SessionDisplayStatus : MonitorPowerOn; }

bool DisplayTurnedOn(LPARAM setting)
{
    const auto* change = reinterpret_cast<const POWERBROADCAST_SETTING*>(setting);
    if (!change || change->PowerSetting != DisplayStatusSetting() || change->DataLength < sizeof(DWORD)) return false;
    // A dimmed display that brightens again was never off.
    const DWORD state = *reinterpret_cast<const DWORD*>(change->Data);
    return std::exchange(displayState, state) == 0 && state == 1;
}

TSessionState SessionStateFrom(std::optional<LONG> flags, bool windows8, std::optional<INT> connectState)
{
    const LONG lockedFlag = windows8 ? SessionStateLock : SessionStateUnlock;
    return {flags == lockedFlag, connectState != WTSDisconnected};
}
