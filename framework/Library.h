#pragma once
// Entries of system libraries looked up at run time: for calls that not every
// system has, or that most runs never make and so should not load at start.
#include <windows.h>

template <class Fn>
Fn LibraryEntry(HMODULE library, const char* name)
{
    return library ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name))) : nullptr;
}

// A library from the system's own folder, never one put beside the program.
HMODULE LoadSystemLibrary(const wchar_t* name);

// The loader's doors; tests replace them to stand for an older system or to watch.
// Whether the loader takes the LOAD_LIBRARY_SEARCH_* flags: Windows 7 lacks them
// without update KB2533623.
using SearchFlagsFn = bool (*)();
extern SearchFlagsFn LoaderTakesSearchFlags;
// LoadLibraryExW without its reserved argument.
using LoadLibraryFn = HMODULE (*)(const wchar_t* file, DWORD flags);
extern LoadLibraryFn LoadLibraryWith;
