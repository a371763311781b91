#pragma once
// The user's screen-saver state as a resident run found it, kept in the user
// profile for as long as the run keeps the screen saver off.  A run that is
// killed cannot put the state back; the next resident start finds the record
// and does it then.
#include <windows.h>

#include <optional>

// HKCU\Software\Lullwick, value SavedScreenSaverActive (REG_DWORD 0 or 1),
// beside it the writer: its process id (REG_DWORD) and start time (REG_QWORD).
inline constexpr wchar_t SavedStateKey[] = L"Software\\Lullwick";
inline constexpr wchar_t SavedStateValue[] = L"SavedScreenSaverActive";
inline constexpr wchar_t SavedByProcessValue[] = L"SavedByProcessId";
inline constexpr wchar_t SavedByStartValue[] = L"SavedByProcessStart";

// Writes the record with this process as its writer; false when the profile
// refused the write, which then leaves nothing.  No flush of its own: it is
// written before the screen saver goes off, into the hive that holds the
// screen saver's setting, and the system writes a hive's changes out together.
bool StoreSavedState(bool active);
// The record, if there is a valid one; a record of the wrong type or value is
// removed and counts as none.
std::optional<bool> LoadSavedState();
// Whether the process that wrote the record still runs: a copy of the same
// user in another session, whose mutex this session does not see.
bool SavedStateWriterRuns();
// Removes the record, and the program's key with it once the key is empty.
void RemoveSavedState();
// The program's key goes once nothing of the program's is left in it.
void RemoveEmptyProgramKey();
// A choice of the user's kept in the program's key as a REG_DWORD; 0 removes it, and the key once it is empty.
// False when the profile refused.
bool StoreProgramChoice(const wchar_t* name, DWORD value);

// The registry call that writes the record; tests replace it to make the
// profile refuse a write.
using RegistrySetValueFn = LSTATUS(WINAPI*)(
    HKEY key, const wchar_t* name, DWORD reserved, DWORD type, const BYTE* data, DWORD size);
extern RegistrySetValueFn RegistrySetValue;
