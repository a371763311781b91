#include "framework/Text.h"

#include <windows.h>

namespace text {

namespace {

std::wstring Widen(UINT codePage, std::string_view bytes)
{
    if (bytes.empty()) return {};
    const int size = static_cast<int>(bytes.size());
    const int n = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), size, wide.data(), n);
    return wide;
}

} // namespace

std::wstring ToWide(std::string_view cp932) { return Widen(CodePage, cp932); }

std::string FromWide(std::wstring_view wide)
{
    if (wide.empty()) return {};
    // Best fit would turn "²" into "2" and a soft hyphen into "-": numbers and
    // options must not read what the user did not type.
    constexpr DWORD flags = WC_NO_BEST_FIT_CHARS;
    const int size = static_cast<int>(wide.size());
    const int n = WideCharToMultiByte(CodePage, flags, wide.data(), size, nullptr, 0, "?", nullptr);
    std::string bytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CodePage, flags, wide.data(), size, bytes.data(), n, "?", nullptr);
    return bytes;
}

std::string FromUtf8(std::string_view utf8) { return FromWide(Widen(CP_UTF8, utf8)); }

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
