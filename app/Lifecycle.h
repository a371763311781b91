#pragma once
// Putting the user's screen-saver state back at exit, and after a run that
// could not.
#include <exception>
#include <optional>
#include <string>
#include <string_view>

// At a resident start: the state that a run which never put it back (it was
// killed, or the system went down) had recorded is put back, and the record
// goes.
void PutBackUnfinishedRun();

// Stores `saved` in the profile unless an earlier run's record is there, which
// only a resident start may settle; true when this run's record was written.
bool StoreForThisRun(bool saved);

// Writes `saved` back, or leaves the screen saver off when the user asked for
// that; a start that never recorded the state (nullopt) writes nothing unless
// the user chose off.  The run's record goes once the state is back.
void RestoreAtExit(std::optional<bool> saved, bool leaveOff, bool recordStored);

// A run that failed on the way: its message in an error box titled `title`,
// and the exit code that says it failed.
int ReportFailedRun(std::exception_ptr failure, const wchar_t* title);

// The file called `name` in the folder of `path`.
std::wstring FileBeside(std::wstring_view path, std::wstring_view name);

// The help file: "Lullwick.hlp" in the folder that holds the program.
std::wstring HelpFilePath();
