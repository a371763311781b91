#pragma once
// Putting the user's screen-saver state back at exit.
#include <optional>
#include <string>
#include <string_view>

// Writes `saved` back, or leaves the screen saver off when the user asked for
// that; a start that never recorded the state (nullopt) writes nothing.
void RestoreAtExit(std::optional<bool> saved, bool leaveOff);

// The file called `name` in the folder of `path`.
std::wstring FileBeside(std::wstring_view path, std::wstring_view name);

// The help file: "Lullwick.hlp" in the folder that holds the program.
std::wstring HelpFilePath();

// The program: single-instance guard, forms, message loop; returns the exit code.
int RunProgram();
