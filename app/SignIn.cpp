#include "app/SignIn.h"

#include "app/cm_lullwick.h"

#include <windows.h>

#include <vector>

namespace {

std::wstring Quoted(std::wstring_view path) { return L"\"" + std::wstring(path) + L"\""; }

// Windows' Startup apps setting: a binary value whose first byte is odd while it is switched off (undocumented;
// seen: 02 or 06 on, 03 or 07 off, then a time stamp).
bool SwitchedOffInStartupApps()
{
    // Only a binary value counts: Windows writes no other kind there.
    constexpr DWORD binary = RRF_RT_REG_BINARY;
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, StartupApprovedKey, SignInValue, binary, nullptr, nullptr, &size) !=
            ERROR_SUCCESS ||
        size == 0)
        return false;
    std::vector<BYTE> data(size);
    return RegGetValueW(HKEY_CURRENT_USER, StartupApprovedKey, SignInValue, binary, nullptr, data.data(), &size) ==
        ERROR_SUCCESS &&
        size > 0 && (data[0] & 1) != 0;
}

} // namespace

std::wstring ProgramPath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) return path.substr(0, n);
        path.resize(path.size() * 2);
    }
}

bool StartsAtSignIn(std::wstring_view path)
{
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, RunKey, SignInValue, RRF_RT_REG_SZ, nullptr, nullptr, &size) != ERROR_SUCCESS ||
        size == 0)
        return false;
    std::vector<wchar_t> value(size / sizeof(wchar_t) + 1);
    size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (RegGetValueW(HKEY_CURRENT_USER, RunKey, SignInValue, RRF_RT_REG_SZ, nullptr, value.data(), &size) !=
        ERROR_SUCCESS)
        return false;
    const std::wstring quoted = Quoted(path);
    return CompareStringOrdinal(value.data(), -1, quoted.c_str(), -1, TRUE) == CSTR_EQUAL &&
        !SwitchedOffInStartupApps();
}

void SetStartAtSignIn(std::wstring_view path, bool on)
{
    if (!on) {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, RunKey, SignInValue);
        return;
    }
    const std::wstring quoted = Quoted(path);
    ProfileSetValue(HKEY_CURRENT_USER, RunKey, SignInValue, REG_SZ, quoted.c_str(),
        static_cast<DWORD>((quoted.size() + 1) * sizeof(wchar_t)));
    if (SwitchedOffInStartupApps()) RegDeleteKeyValueW(HKEY_CURRENT_USER, StartupApprovedKey, SignInValue);
}
