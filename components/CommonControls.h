#pragma once
// The system's common controls, loaded when the first control of theirs is made
// rather than imported: their start-up is the costliest of any library's, and
// the tray icon need not wait.
#include <windows.h>

// Registers the window classes of `classes` (ICC_*), on older systems all of them.
void InitCommonControlClasses(DWORD classes);
