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
inline HMODULE LoadSystemLibrary(const wchar_t* name)
{
    return LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}
