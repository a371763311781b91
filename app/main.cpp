// The program's entry and the one place that knows its forms by name: the
// single-instance guard, the forms, the message loop and the last resort for
// a failure that leaves them.
#include "app/Lifecycle.h"
#include "app/SingleInstance.h"
#include "forms/Main.h"
#include "forms/SetTimeout.h"
#include "framework/Application.h"
#include "framework/MessageBox.h"
#include "framework/Text.h"

#include <windows.h>

namespace {

constexpr wchar_t ProgramTitle[] = L"Lullwick";

int RunProgram()
{
    try {
        // The guard outlives the application, so no new copy starts before the forms have put the state back.
        const SingleInstance guard;
        if (!guard.First()) {
            ShowMessageBox(AlreadyRunningText, ProgramTitle, MB_OK | MB_ICONERROR);
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
        return Application->ExitCode();
    } catch (...) {
        // The application has destroyed its forms on the way out, so whatever
        // the start switched off is back before the user reads why.
        return ReportFailedRun(std::current_exception(), ProgramTitle);
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return RunProgram(); }
