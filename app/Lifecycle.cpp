#include "app/Lifecycle.h"

#include "app/SavedState.h"
#include "app/SignIn.h"
#include "app/cm_lullwick.h"
#include "framework/Application.h"
#include "framework/MessageBox.h"

#include <windows.h>

void PutBackUnfinishedRun()
{
    const std::optional<bool> recorded = LoadSavedState();
    // The record of a copy that still runs is that copy's to settle.
    if (!recorded || SavedStateWriterRuns()) return;
    // A screen saver that is on again is the user's later choice, not the
    // killed run's doing; a put-back the system refuses waits for the next start.
    if (GetScreenSaverActive() || PutBackScreenSaverActive(*recorded)) RemoveSavedState();
}

bool StateToPutBack()
{
    // A record still there after the repair holds the user's state: a copy in another
    // session has switched the screen saver off, or the system refused to put it back.
    if (const std::optional<bool> recorded = LoadSavedState()) return *recorded;
    return GetScreenSaverActive();
}

bool StoreForThisRun(bool saved) { return saved && !LoadSavedState() && StoreSavedState(saved); }

void RestoreAtExit(std::optional<bool> saved, bool leaveOff, bool recordStored)
{
    // A start that failed before it recorded the state never reached a menu: nothing to write.
    if (!saved) return;
    // Until the state is back the record stays, so that the next start repairs it.
    if (PutBackScreenSaverActive(!leaveOff && *saved) && recordStored) RemoveSavedState();
}

std::wstring HelpFilePath() { return FileBeside(ProgramPath(), L"Lullwick.hlp"); }

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
