#pragma once
// The running programs a hold can wait for: read for the chooser, and the
// chosen one opened to wait for its end.
#include "framework/Handles.h"

#include <windows.h>

#include <string>
#include <vector>

// One running program, known by its id and its start time, as an id is reused.
struct TAppLine {
    DWORD processId = 0;
    // When it started (FILETIME, UTC); 0 when it could not be read.
    ULONGLONG startTime = 0;
    std::wstring fileName;
    // Of its first window the user can switch to; empty when it has none.
    std::wstring title;
    // "notepad.exe 「Untitled - Notepad」", or the file name alone.
    std::wstring Text() const;
};

// The programs with a window the user can switch to, or with `all` every other one of this session that
// can be opened too, one line per program, none for this one, sorted by file name without regard to case.
std::vector<TAppLine> ReadRunningApps(bool all);
// The same with `own` taken for this program's id: tests read their own windows as another program's.
std::vector<TAppLine> ReadRunningApps(bool all, DWORD own);

// When `process` started (FILETIME, UTC), which tells it from a later one given its id; 0 when unknown.
ULONGLONG ProcessStartTime(HANDLE process);

enum class TAppOpening { Opened, Gone, Refused };

// Opens the program of `line` to wait for its end; Gone when it ended, or its id now names another program.
TAppOpening OpenApp(const TAppLine& line, UniqueKernelHandle& process);

// The system's process opening, which Windows refuses for other users' and protected programs; tests replace it.
using ProcessOpenFn = HANDLE(WINAPI*)(DWORD access, BOOL inherit, DWORD processId);
extern ProcessOpenFn ProcessOpen;

// The desktop's attributes of a window (DwmGetWindowAttribute), where the system has them; Wine's tell no window
// hidden by the desktop (cloaked), so tests replace it to cloak one.
using WindowAttributeFn = HRESULT(WINAPI*)(HWND window, DWORD attribute, void* value, DWORD size);
extern WindowAttributeFn WindowAttribute;
