#pragma once
// Interface text is held as code page 932 bytes; the screen gets UTF-16.
#include <string>
#include <string_view>

namespace text {

inline constexpr unsigned CodePage = 932;

// Converts code page 932 bytes for the wide API; never goes through CP_ACP.
std::wstring ToWide(std::string_view cp932);
// Converts back; characters that code page 932 cannot hold become '?', never
// a look-alike ("²" is not "2").
std::string FromWide(std::wstring_view wide);
// Interface text as written in the sources (UTF-8), in code page 932 bytes.
std::string FromUtf8(std::string_view utf8);
// The bytes without a lead byte left dangling at the end by a byte-wise cut.
std::string_view WithoutCutCharacter(std::string_view cp932);
std::string IntToStr(long long value);

} // namespace text
