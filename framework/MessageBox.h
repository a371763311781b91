#pragma once
// Every message box of the program goes through here, so tests can read them.
#include <windows.h>

#include <string>

using MessageBoxFn = int (*)(HWND owner, const std::wstring& text, const std::wstring& caption, UINT style);
extern MessageBoxFn ShowMessageBoxHandler;

inline int ShowMessageBox(const std::wstring& text, const std::wstring& caption, UINT style)
{
    return ShowMessageBoxHandler(nullptr, text, caption, style);
}
