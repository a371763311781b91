#include "app/Lifecycle.h"

#include "app/SavedState.h"
#include "app/SingleInstance.h"
#include "app/cm_lullwick.h"
#include "forms/Main.h"
#include "forms/SetTimeout.h"
#include "framework/Application.h"
#include "framework/MessageBox.h"
#include "framework/Text.h"

#include <windows.h>

namespace {
constexpr wchar_t ProgramTitle[] = L"Lullwick";
}

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
    path.erase(path.find_last_of(L"\\/") + 1);
    return path + L"Lullwick.hlp";
}

int RunProgram()
{
    try {
        // The guard outlives the application, so no new copy starts before the forms have put the state back.
        const SingleInstance guard;
        if (!guard.First()) {
            ShowMessageBox(text::ToWide(AlreadyRunningText), ProgramTitle, MB_OK | MB_ICONERROR);
            return 0;
        }
        TApplication application;
        Application->Initialize();
        Application->SetTitle(text::FromWide(ProgramTitle));
        Application->SetHelpFile(HelpFilePath());
        Application->CreateForm(FormMain);
        Application->CreateForm(FormSetTimeout);
        Application->Run();
        Application->DestroyForms();
        return 0;
    } catch (...) {
        // The application has destroyed its forms on the way out, so whatever
        // the start switched off is back before the user reads why.
        ShowMessageBox(ExceptionText(std::current_exception()), ProgramTitle, MB_OK | MB_ICONERROR);
        return 1;
    }
}
