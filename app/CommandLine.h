#pragma once
// The one-job mode: a single option reports, toggles, switches or starts the
// screen saver, then the program ends.
#include "app/Options.h"

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

// Repeats the parameter as the user typed it, so it is built in UTF-16.
std::wstring OptionErrorMessage(std::wstring_view parameter);

// The process command line; tests replace it.
using CommandLineFn = LPWSTR(WINAPI*)();
extern CommandLineFn ProcessCommandLine;

// Carries out the parameters of this start, if any, and asks the application
// to end; with no parameter it does nothing.  Returns the process's exit code:
// 1 when the system refused the change the option asked for.
int RunCommandLine(const std::vector<std::wstring>& parameters);
