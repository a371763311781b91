#include "framework/Library.h"

#include <string>

namespace {

// The export that the update brings is the documented sign of the flags.
bool PlatformSearchFlags() { return GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "AddDllDirectory") != nullptr; }

} // namespace

SearchFlagsFn LoaderTakesSearchFlags = PlatformSearchFlags;

HMODULE LoadSystemLibrary(const wchar_t* name)
{
    if (LoaderTakesSearchFlags()) return LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    // A bare name would be looked for beside the program first: name the system's file in full.
    std::wstring folder(MAX_PATH, L'\0');
    const UINT length = GetSystemDirectoryW(folder.data(), MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    folder.resize(length);
    return LoadLibraryExW((folder + L'\\' + name).c_str(), nullptr, 0);
}
