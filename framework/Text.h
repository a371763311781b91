#pragma once
// Interface text is held as code page 932 bytes; the screen gets UTF-16.
#include <string>
#include <string_view>

namespace text {

inline constexpr unsigned CodePage = 932;

// Converts code page 932 bytes for the wide API; never goes through CP_ACP.
std::wstring ToWide(std::string_view cp932);
// Converts back; characters that code page 932 cannot hold become '?'.
std::string FromWide(std::wstring_view wide);
// The bytes without a lead byte left dangling at the end by a byte-wise cut.
std::string_view WithoutCutCharacter(std::string_view cp932);
std::string IntToStr(long long value);

} // namespace text
