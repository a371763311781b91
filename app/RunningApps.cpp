#include "app/RunningApps.h"

#include "framework/Library.h"

#include <dwmapi.h>
#include <tlhelp32.h>
#include <wtsapi32.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <new>
#include <utility>

ProcessOpenFn ProcessOpen = OpenProcess;

namespace {

struct SystemLibraries {
    // Looked up when first needed: most runs never choose a program. Windows 7 may run without
    // the desktop composition that cloaks windows, and dwmapi then answers with an error.
    UniqueModule dwm{LoadSystemLibrary(L"dwmapi.dll")};
    decltype(&DwmGetWindowAttribute) windowAttribute =
        LibraryEntry<decltype(windowAttribute)>(dwm.get(), "DwmGetWindowAttribute");
    UniqueModule wts{LoadSystemLibrary(L"wtsapi32.dll")};
    decltype(&WTSEnumerateProcessesW) processes =
        LibraryEntry<decltype(processes)>(wts.get(), "WTSEnumerateProcessesW");
    decltype(&WTSFreeMemory) free = LibraryEntry<decltype(free)>(wts.get(), "WTSFreeMemory");
};

const SystemLibraries& Libraries()
{
    static const SystemLibraries libraries;
    return libraries;
}

// Every running process with its file name. A few hundred at most: searched from end to end.
std::vector<TAppLine> RunningProcesses()
{
    std::vector<TAppLine> processes;
    const UniqueKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (snapshot.get() == INVALID_HANDLE_VALUE) return processes;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry))
        processes.push_back({entry.th32ProcessID, 0, entry.szExeFile, {}});
    return processes;
}

TAppLine* Find(std::vector<TAppLine>& processes, DWORD id)
{
    const auto found = std::ranges::find(processes, id, &TAppLine::processId);
    return found == processes.end() ? nullptr : &*found;
}

// The processes of this session. Read without opening them: ProcessIdToSessionId needs more rights than
// this program has to the processes of services and elevated programs.
std::vector<DWORD> ProcessesOfThisSession()
{
    std::vector<DWORD> ids;
    DWORD session = 0;
    const SystemLibraries& libraries = Libraries();
    if (!libraries.processes || !libraries.free || !ProcessIdToSessionId(GetCurrentProcessId(), &session)) return ids;
    WTS_PROCESS_INFOW* info = nullptr;
    DWORD count = 0;
    if (!libraries.processes(WTS_CURRENT_SERVER_HANDLE, 0, 1, &info, &count)) return ids;
    const std::unique_ptr<WTS_PROCESS_INFOW, decltype(libraries.free)> owned(info, libraries.free);
    for (DWORD i = 0; i < count; ++i)
        if (info[i].SessionId == session) ids.push_back(info[i].ProcessId);
    return ids;
}

HRESULT WINAPI PlatformWindowAttribute(HWND window, DWORD attribute, void* value, DWORD size)
{
    const auto read = Libraries().windowAttribute;
    return read ? read(window, attribute, value, size) : E_NOTIMPL;
}

// Hidden by the desktop: a Store app that is not running, a window on another virtual desktop.
bool Cloaked(HWND window)
{
    DWORD cloaked = 0;
    return SUCCEEDED(WindowAttribute(window, DWMWA_CLOAKED, &cloaked, sizeof cloaked)) && cloaked != 0;
}

// Read as the system keeps it: GetWindowText sends no message to another program's window, which
// might hang (GetWindowTextLength gives no such promise). Titles longer than the largest buffer are cut.
std::wstring WindowTitle(HWND window)
{
    std::wstring title;
    for (int size = 256;; size *= 2) {
        title.resize(static_cast<size_t>(size));
        const int length = GetWindowTextW(window, title.data(), size);
        if (length < size - 1 || size >= 32768) return title.substr(0, static_cast<size_t>(length));
    }
}

struct TWindowsRead {
    std::vector<TAppLine>& processes;
    bool outOfMemory;
};

// The process a window stands for when the user can switch to it (given a title), or 0.
DWORD SwitchableWindowsProcess(HWND window, std::vector<TAppLine>& processes)
{
    if (!IsWindowVisible(window)) return 0;
    const LONG_PTR exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
    if (exStyle & WS_EX_TOOLWINDOW) return 0;
    if (GetWindow(window, GW_OWNER) && !(exStyle & WS_EX_APPWINDOW)) return 0;
    if (Cloaked(window)) return 0;
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    const TAppLine* process = Find(processes, id);
    // A Store app's window is a frame of the frame host around the app's own window.
    if (process &&
        CompareStringOrdinal(process->fileName.c_str(), -1, L"ApplicationFrameHost.exe", -1, TRUE) == CSTR_EQUAL) {
        const HWND app = FindWindowExW(window, nullptr, L"Windows.UI.Core.CoreWindow", nullptr);
        id = 0;
        if (app) GetWindowThreadProcessId(app, &id);
    }
    return id;
}

BOOL CALLBACK AddWindowsProcess(HWND window, LPARAM read)
{
    auto& r = *reinterpret_cast<TWindowsRead*>(read);
    // Nothing unwinds through the system's enumeration; only memory can run out here, which is told once
    // it has returned.
    try {
        TAppLine* process = Find(r.processes, SwitchableWindowsProcess(window, r.processes));
        // The first such window in this order, the one on top, gives the title.
        if (process && process->title.empty()) process->title = WindowTitle(window);
        return TRUE;
    } catch (...) {
        r.outOfMemory = true;
        return FALSE;
    }
}

// Equal names in the order of their ids, so that a list read again keeps its order.
int LineOrder(const void* left, const void* right)
{
    const TAppLine& a = **static_cast<TAppLine* const*>(left);
    const TAppLine& b = **static_cast<TAppLine* const*>(right);
    const int order = CompareStringOrdinal(a.fileName.c_str(), -1, b.fileName.c_str(), -1, TRUE);
    if (order != CSTR_EQUAL) return order - CSTR_EQUAL;
    return a.processId < b.processId ? -1 : a.processId > b.processId;
}

} // namespace

WindowAttributeFn WindowAttribute = PlatformWindowAttribute;

ULONGLONG ProcessStartTime(HANDLE process)
{
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    return ULONGLONG{created.dwHighDateTime} << 32 | created.dwLowDateTime;
}

std::wstring TAppLine::Text() const { return title.empty() ? fileName : fileName + L" 「" + title + L"」"; }

std::vector<TAppLine> ReadRunningApps(bool all, DWORD own)
{
    std::vector<TAppLine> processes = RunningProcesses();
    TWindowsRead read{processes, false};
    EnumWindows(AddWindowsProcess, reinterpret_cast<LPARAM>(&read));
    if (read.outOfMemory) throw std::bad_alloc();
    const std::vector<DWORD> session = all ? ProcessesOfThisSession() : std::vector<DWORD>{};
    std::vector<TAppLine> lines;
    for (TAppLine& process : processes) {
        const bool windowed = !process.title.empty();
        if (process.processId == own || (!windowed && std::ranges::find(session, process.processId) == session.end()))
            continue;
        const UniqueKernelHandle opened(ProcessOpen(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process.processId));
        // One with a window is listed all the same: OK tells why it cannot be waited for.
        if (opened) process.startTime = ProcessStartTime(opened.get());
        else if (!windowed) continue;
        lines.push_back(std::move(process));
    }
    // Sorted as pointers by the C library's sort, which adds no code of its own to the program.
    std::vector<TAppLine*> order;
    for (TAppLine& line : lines) order.push_back(&line);
    std::qsort(order.data(), order.size(), sizeof order[0], LineOrder);
    std::vector<TAppLine> sorted;
    sorted.reserve(lines.size());
    for (TAppLine* line : order) sorted.push_back(std::move(*line));
    return sorted;
}

std::vector<TAppLine> ReadRunningApps(bool all) { return ReadRunningApps(all, GetCurrentProcessId()); }

TAppOpening OpenApp(const TAppLine& line, UniqueKernelHandle& process)
{
    UniqueKernelHandle opened(ProcessOpen(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, line.processId));
    // A refusal says nothing of an end: protected programs often refuse only once they run.
    if (!opened) return GetLastError() == ERROR_INVALID_PARAMETER ? TAppOpening::Gone : TAppOpening::Refused;
    const DWORD state = WaitForSingleObject(opened.get(), 0);
    if (state == WAIT_OBJECT_0) return TAppOpening::Gone;
    if (state != WAIT_TIMEOUT) return TAppOpening::Refused;
    // A line read without a start time is taken as it is: nothing tells a reused id there.
    if (line.startTime && ProcessStartTime(opened.get()) != line.startTime) return TAppOpening::Gone;
    process = std::move(opened);
    return TAppOpening::Opened;
}
