#pragma once
// Starting at sign-in: the user's Run value names this program, and Windows'
// Startup apps setting has not switched it off.
#include <string>
#include <string_view>

inline constexpr wchar_t RunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr wchar_t StartupApprovedKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
inline constexpr wchar_t SignInValue[] = L"Lullwick";

// The full path of this program.
std::wstring ProgramPath();
// Whether the program at `path` starts at sign-in: the Run value is its quoted path, compared without regard to
// case (a moved program's value names another), and no Startup apps value switches it off.
bool StartsAtSignIn(std::wstring_view path);
// Writes the Run value for `path` and removes a Startup apps value that switched it off, or removes the Run value.
// Read StartsAtSignIn afterwards: the profile can refuse.
void SetStartAtSignIn(std::wstring_view path, bool on);
