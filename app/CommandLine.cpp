#include "app/CommandLine.h"

#include "app/SavedState.h"
#include "app/cm_lullwick.h"
#include "framework/Application.h"
#include "framework/MessageBox.h"
#include "framework/Text.h"

namespace {

constexpr wchar_t Caption[] = L"Lullwick";

UINT IconStyle(MessageIcon icon)
{
    return icon == MessageIcon::Error ? MB_ICONERROR : icon == MessageIcon::Information ? MB_ICONINFORMATION : 0;
}

} // namespace

CommandLineFn ProcessCommandLine = GetCommandLineW;

std::wstring OptionErrorMessage(std::wstring_view parameter)
{
    return text::ToWide(OptionErrorHead()) + std::wstring(parameter) + text::ToWide(OptionErrorTail());
}

int RunCommandLine(const std::vector<std::wstring>& parameters)
{
    if (parameters.empty()) return 0;
    int exitCode = 0;
    if (parameters.size() > 1) {
        ShowMessageBox(text::ToWide(ParameterErrorMessage()), Caption, MB_OK | MB_ICONERROR);
    } else {
        const bool active = GetScreenSaverActive();
        const int minutes = GetScreenSaverTimeout();
        const OptionJob job = DecideOption(parameters.front(), active, minutes);
        const bool changed = !job.setActive || SetScreenSaverActive(*job.setActive);
        // The user's own choice outranks what a run that never ended properly recorded.
        if (job.choosesState) RemoveSavedState();
        if (job.execute) ExecuteScreenSaver();
        const UINT style = MB_OK | IconStyle(job.icon);
        if (!changed) {
            // The system refused: say so, with the state it kept, rather than report the change.
            exitCode = 1;
            if (!job.message.empty())
                ShowMessageBox(
                    text::ToWide(NotChangedMessage(!*job.setActive, minutes)), Caption, MB_OK | MB_ICONERROR);
        } else if (job.optionError) {
            ShowMessageBox(OptionErrorMessage(parameters.front()), Caption, style);
        } else if (!job.message.empty()) {
            ShowMessageBox(text::ToWide(job.message), Caption, style);
        }
    }
    Application->Terminate();
    return exitCode;
}
