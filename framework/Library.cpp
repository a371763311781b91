#include "framework/Library.h"

#include <string>

namespace {

// The export that the update brings is the documented sign of the flags.
bool PlatformSearchFlags() { return GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "AddDllDirectory") != nullptr; }

HMODULE PlatformLoadLibrary(const wchar_t* file, DWORD flags) { return LoadLibraryExW(file, nullptr, flags); }

} // namespace

SearchFlagsFn LoaderTakesSearchFlags = PlatformSearchFlags;
LoadLibraryFn LoadLibraryWith = PlatformLoadLibrary;

HMODULE LoadSystemLibrary(const wchar_t* name)
{
    if (LoaderTakesSearchFlags()) return LoadLibraryWith(name, LOAD_LIBRARY_SEARCH_SYSTEM32);
    // A bare name would be looked for beside the program first: name the system's file in
    // full, and have the libraries it imports looked for from its folder too.
    std::wstring folder(MAX_PATH, L'\0');
    const UINT length = GetSystemDirectoryW(folder.data(), MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    folder.resize(length);
    return LoadLibraryWith((folder + L'\\' + name).c_str(), LOAD_WITH_ALTERED_SEARCH_PATH);
}
