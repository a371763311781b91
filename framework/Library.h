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

// Whether the loader takes the LOAD_LIBRARY_SEARCH_* flags, which Windows 7 lacks
// without update KB2533623; tests replace it to stand for such a system.
using SearchFlagsFn = bool (*)();
extern SearchFlagsFn LoaderTakesSearchFlags;
