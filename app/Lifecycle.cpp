#include "app/Lifecycle.h"

#include "app/SavedState.h"
#include "app/cm_lullwick.h"
#include "framework/Application.h"
#include "framework/MessageBox.h"

#include <windows.h>

void PutBackUnfinishedRun()
{
    const std::optional<bool> recorded = LoadSavedState();
    if (!recorded) return;
    SetScreenSaverActive(*recorded);
    RemoveSavedState();
}

bool StoreForThisRun(bool saved) { return !LoadSavedState() && StoreSavedState(saved); }

void RestoreAtExit(std::optional<bool> saved, bool leaveOff, bool recordStored)
{
    if (!saved && !leaveOff) return;
    SetScreenSaverActive(!leaveOff && *saved);
    // Some systems queue the change for the display server without sending it;
    // a query delivers it before the process goes.
    GetScreenSaverActive();
    if (recordStored) RemoveSavedState();
}

std::wstring HelpFilePath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    return FileBeside(path, L"Lullwick.hlp");
}

std::wstring FileBeside(std::wstring_view path, std::wstring_view name)
{
    const size_t slash = path.find_last_of(L"\\/");
    std::wstring beside(slash == std::wstring_view::npos ? std::wstring_view{} : path.substr(0, slash + 1));
    return beside += name;
}

int ReportFailedRun(std::exception_ptr failure, const wchar_t* title)
{
    // Nothing of the program is in front to bring the box up with it.
    ShowMessageBox(ExceptionText(failure), title, MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
    return 1;
}
