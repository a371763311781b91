#pragma once
// Putting the user's screen-saver state back at exit.
#include <optional>
#include <string>

// Writes `saved` back, or leaves the screen saver off when the user asked for
// that; a start that never recorded the state (nullopt) writes nothing.
void RestoreAtExit(std::optional<bool> saved, bool leaveOff);

// The help file: "Lullwick.hlp" in the folder that holds the program.
std::wstring HelpFilePath();

// The program: single-instance guard, forms, message loop; returns the exit code.
int RunProgram();
