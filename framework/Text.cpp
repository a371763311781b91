#include "framework/Text.h"

#include <windows.h>

namespace text {

std::wstring ToWide(std::string_view cp932)
{
    if (cp932.empty()) return {};
    const int size = static_cast<int>(cp932.size());
    const int n = MultiByteToWideChar(CodePage, 0, cp932.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CodePage, 0, cp932.data(), size, wide.data(), n);
    return wide;
}

std::string FromWide(std::wstring_view wide)
{
    if (wide.empty()) return {};
    const int size = static_cast<int>(wide.size());
    const int n = WideCharToMultiByte(CodePage, 0, wide.data(), size, nullptr, 0, "?", nullptr);
    std::string bytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CodePage, 0, wide.data(), size, bytes.data(), n, "?", nullptr);
    return bytes;
}

std::string_view WithoutCutCharacter(std::string_view cp932)
{
    size_t i = 0;
    while (i < cp932.size()) {
        const bool lead = IsDBCSLeadByteEx(CodePage, static_cast<BYTE>(cp932[i]));
        if (lead && i + 1 == cp932.size()) return cp932.substr(0, i);
        i += lead ? 2 : 1;
    }
    return cp932;
}

std::string IntToStr(long long value) { return std::to_string(value); }

} // namespace text
