#include "app/SavedState.h"

#include "framework/Handles.h"

#include <windows.h>

namespace {

void CloseRegistryKey(HKEY key) { RegCloseKey(key); }
using UniqueRegistryKey = UniqueHandle<HKEY, CloseRegistryKey>;

UniqueRegistryKey OpenKey(REGSAM access)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, SavedStateKey, 0, access, &key) != ERROR_SUCCESS) return {};
    return UniqueRegistryKey(key);
}

} // namespace

bool StoreSavedState(bool active)
{
    HKEY created = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, SavedStateKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &created, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const UniqueRegistryKey key(created);
    const DWORD value = active ? 1 : 0;
    if (RegSetValueExW(key.get(), SavedStateValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) !=
        ERROR_SUCCESS)
        return false;
    // The record is for the case that nothing else runs at the end: it should be on disk now.
    // It is written either way, so this run must remove it.
    RegFlushKey(key.get());
    return true;
}

std::optional<bool> LoadSavedState()
{
    const UniqueRegistryKey key = OpenKey(KEY_QUERY_VALUE);
    if (!key) return std::nullopt;
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    const LSTATUS status =
        RegQueryValueExW(key.get(), SavedStateValue, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    if (status == ERROR_FILE_NOT_FOUND) return std::nullopt;
    if (status == ERROR_SUCCESS && type == REG_DWORD && size == sizeof value && value <= 1) return value == 1;
    RemoveSavedState();
    return std::nullopt;
}

void RemoveSavedState()
{
    {
        const UniqueRegistryKey key = OpenKey(KEY_SET_VALUE | KEY_QUERY_VALUE);
        if (!key) return;
        RegDeleteValueW(key.get(), SavedStateValue);
        DWORD subKeys = 0;
        DWORD values = 0;
        if (RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr,
                nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
            subKeys != 0 || values != 0) {
            RegFlushKey(key.get());
            return;
        }
    }
    RegDeleteKeyW(HKEY_CURRENT_USER, SavedStateKey);
    // Once the state is back, a record that comes back from an older disk image would undo a later choice.
    RegFlushKey(HKEY_CURRENT_USER);
}
