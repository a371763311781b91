#pragma once
// Putting the user's screen-saver state back at exit, and after a run that
// could not.
#include <exception>
#include <optional>
#include <string>
#include <string_view>

// At a resident start: the state that a run which never put it back (it was
// killed, or the system went down) had recorded is put back while the screen
// saver is still off.  The record goes once it is settled: put back, or
// overtaken by the user's own choice.
void PutBackUnfinishedRun();

// The state to put back at exit: the one found now, or the one still recorded
// by a copy that runs in another session or by a run whose repair was refused.
bool StateToPutBack();

// Stores `saved` in the profile when it is on (off has nothing to repair)
// unless a record is there already; true when this run's record was written.
bool StoreForThisRun(bool saved);

// Writes `saved` back, or leaves the screen saver off when the user asked for
// that; a run that never recorded the state (nullopt: a one-job run, or a
// start that failed before) writes nothing.  A put-back the system refuses is
// written into the profile; the run's record goes once the state is back.
void RestoreAtExit(std::optional<bool> saved, bool leaveOff, bool recordStored);

// A run that failed on the way: its message in an error box titled `title`,
// and the exit code that says it failed.
int ReportFailedRun(std::exception_ptr failure, const wchar_t* title);

// The file called `name` in the folder of `path`.
std::wstring FileBeside(std::wstring_view path, std::wstring_view name);

// The help file: "Lullwick.hlp" in the folder that holds the program.
std::wstring HelpFilePath();
