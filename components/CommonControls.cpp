#include "components/CommonControls.h"

#include "framework/Handles.h"
#include "framework/Library.h"

#include <commctrl.h>

void InitCommonControlClasses(DWORD classes)
{
    // By name, not by path: the manifest picks the version of the library.
    static const UniqueModule library(LoadLibraryW(L"comctl32.dll"));
    // Older systems lack the extended entry point.
    const auto initEx = LibraryEntry<BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*)>(library.get(), "InitCommonControlsEx");
    const INITCOMMONCONTROLSEX icc{sizeof icc, classes};
    if (initEx && initEx(&icc)) return;
    if (const auto init = LibraryEntry<void(WINAPI*)()>(library.get(), "InitCommonControls")) init();
}
