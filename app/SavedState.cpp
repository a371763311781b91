#include "app/SavedState.h"

#include "app/RunningApps.h"
#include "framework/Handles.h"

namespace {

UniqueRegistryKey OpenKey(REGSAM access)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, SavedStateKey, 0, access, &key) != ERROR_SUCCESS) return {};
    return UniqueRegistryKey(key);
}

template <class T>
bool SetValue(HKEY key, const wchar_t* name, DWORD type, T value)
{
    return RegistrySetValue(key, name, 0, type, reinterpret_cast<const BYTE*>(&value), sizeof value) == ERROR_SUCCESS;
}

template <class T>
std::optional<T> ReadValue(const wchar_t* name, DWORD typeFlag)
{
    T value{};
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, SavedStateKey, name, typeFlag, nullptr, &value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

} // namespace

RegistrySetValueFn RegistrySetValue = RegSetValueExW;

bool StoreSavedState(bool active)
{
    HKEY created = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, SavedStateKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &created, nullptr) !=
        ERROR_SUCCESS)
        return false;
    {
        const UniqueRegistryKey key(created);
        if (SetValue(key.get(), SavedStateValue, REG_DWORD, DWORD{active}) &&
            SetValue(key.get(), SavedByProcessValue, REG_DWORD, DWORD{GetCurrentProcessId()}) &&
            SetValue(key.get(), SavedByStartValue, REG_QWORD, ProcessStartTime(GetCurrentProcess())))
            return true;
    }
    RemoveSavedState(); // a record without its writer, or a key without a record, must not stay
    return false;
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

bool SavedStateWriterRuns()
{
    const auto id = ReadValue<DWORD>(SavedByProcessValue, RRF_RT_REG_DWORD);
    const auto start = ReadValue<ULONGLONG>(SavedByStartValue, RRF_RT_REG_QWORD);
    // A start of 0 would be taken as unknown, and any program given the id as the writer.
    if (!id || !start || *start == 0) return false;
    UniqueKernelHandle process;
    // A process this one may not open (the System process, a service, another user's) was as a rule given
    // the id after the writer ended.  Only an elevated copy of this user in another session is taken for
    // gone wrongly, and that copy puts its own state back at its exit.
    return OpenApp({*id, *start, {}, {}}, process) == TAppOpening::Opened;
}

void RemoveSavedState()
{
    {
        const UniqueRegistryKey key = OpenKey(KEY_SET_VALUE);
        if (!key) return;
        for (const wchar_t* name : {SavedStateValue, SavedByProcessValue, SavedByStartValue})
            RegDeleteValueW(key.get(), name);
    }
    RemoveEmptyProgramKey();
}

void RemoveEmptyProgramKey()
{
    {
        const UniqueRegistryKey key = OpenKey(KEY_QUERY_VALUE);
        if (!key) return;
        DWORD subKeys = 0;
        DWORD values = 0;
        if (RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr,
                nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
            subKeys != 0 || values != 0)
            return;
    }
    RegDeleteKeyW(HKEY_CURRENT_USER, SavedStateKey);
}

bool StoreProgramChoice(const wchar_t* name, DWORD value)
{
    if (!value) {
        const LSTATUS removed = RegDeleteKeyValueW(HKEY_CURRENT_USER, SavedStateKey, name);
        RemoveEmptyProgramKey();
        return removed == ERROR_SUCCESS || removed == ERROR_FILE_NOT_FOUND;
    }
    HKEY created = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, SavedStateKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &created, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const UniqueRegistryKey key(created);
    return SetValue(key.get(), name, REG_DWORD, value);
}
