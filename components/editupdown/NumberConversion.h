#pragma once
// Reading an edit's text as a number, with a fallback for anything else.
#include <optional>
#include <string_view>

namespace number {

// Leading spaces, then a sign with decimal digits, decimal digits, or hex
// digits after '$', 'x', 'X', "0x" or "0X" (at most 32 bits); a decimal number
// must fit a signed 32-bit integer.  Anything else is no number.
std::optional<int> StrToInt(std::string_view text);
// The same, with `fallback` for anything that is no number.
int StrToIntDef(std::string_view text, int fallback);

// The text without the blanks (spaces, tabs, line breaks) around it.
constexpr std::wstring_view WithoutBlanks(std::wstring_view text)
{
    constexpr auto blank = [](wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

// A full-width digit or minus, as a Japanese input method types them, is its
// ASCII counterpart; any other character stays as it is (the minus sign U+2212
// is typographic, not typed, and stays too).
constexpr wchar_t AsciiCounterpart(wchar_t c)
{
    if (c >= 0xFF10 && c <= 0xFF19) return static_cast<wchar_t>(L'0' + (c - 0xFF10));
    return c == 0xFF0D ? L'-' : c;
}

} // namespace number
