#pragma once
// The one-job mode: a single option reports, toggles, switches or starts the
// screen saver, then the program ends.
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The parameters after the program's own name: blanks and control characters
// separate them, double quotes group a stretch and are dropped; backslashes
// are ordinary characters.  An empty parameter ends the list.
std::vector<std::wstring> SplitParameters(std::wstring_view commandLine);

// The option list shown by "/?" and after both errors (code page 932, 569 bytes).
extern const char OptionList[];
std::string StatusMessage(bool active, int minutes);
std::string ChangeMessage(bool activeBefore, int minutes);
std::string SwitchedOnMessage(int minutes);
std::string AlreadyOnMessage(int minutes);
std::string SwitchedOffMessage(int minutes);
std::string AlreadyOffMessage(int minutes);
std::string ParameterErrorMessage();
// Repeats the parameter as the user typed it, so it is built in UTF-16.
std::wstring OptionErrorMessage(std::wstring_view parameter);

// What one option does, given the state and the wait time read before it.
struct OptionJob {
    std::optional<bool> setActive; // the state to write, if any
    bool execute = false; // start the screen saver afterwards
    std::wstring message; // empty: no message box
    UINT icon = 0; // MB_ICONINFORMATION or MB_ICONERROR
};
OptionJob DecideOption(std::wstring_view parameter, bool active, int minutes);

// The process command line; tests replace it.
using CommandLineFn = LPWSTR(WINAPI*)();
extern CommandLineFn ProcessCommandLine;

// Carries out the parameters of this start, if any, and asks the application
// to end; with no parameter it does nothing.
void RunCommandLine(const std::vector<std::wstring>& parameters);
