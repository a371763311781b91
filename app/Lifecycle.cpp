#include "app/Lifecycle.h"

#include "app/SingleInstance.h"
#include "app/cm_lullwick.h"
#include "forms/Main.h"
#include "forms/SetTimeout.h"
#include "framework/Application.h"
#include "framework/MessageBox.h"
#include "framework/Text.h"

#include <windows.h>

void RestoreAtExit(std::optional<bool> saved, bool leaveOff)
{
    if (!saved) return;
    SetScreenSaverActive(leaveOff ? false : *saved);
    // Some systems queue the change for the display server without sending it;
    // a query delivers it before the process goes.
    GetScreenSaverActive();
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

int RunProgram()
{
    TApplication application;
    const SingleInstance guard;
    if (!guard.First()) {
        ShowMessageBox(text::ToWide(AlreadyRunningText), L"Lullwick", MB_OK | MB_ICONERROR);
        return 0;
    }
    Application->Initialize();
    Application->SetTitle("Lullwick");
    Application->SetHelpFile(HelpFilePath());
    Application->CreateForm(FormMain);
    Application->CreateForm(FormSetTimeout);
    Application->Run();
    Application->DestroyForms();
    return 0;
}
