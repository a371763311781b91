#pragma once
// The user's screen-saver state as a resident run found it, kept in the user
// profile for as long as the run keeps the screen saver off.  A run that is
// killed cannot put the state back; the next resident start finds the record
// and does it then.
#include <optional>

// HKCU\Software\Lullwick, value SavedScreenSaverActive (REG_DWORD 0 or 1).
inline constexpr wchar_t SavedStateKey[] = L"Software\\Lullwick";
inline constexpr wchar_t SavedStateValue[] = L"SavedScreenSaverActive";

// Writes the record and flushes it to disk; false when the profile refused the write.
bool StoreSavedState(bool active);
// The record, if there is a valid one; a record of the wrong type or value is
// removed and counts as none.
std::optional<bool> LoadSavedState();
// Removes the record, and the program's key with it once the key is empty.
void RemoveSavedState();
