#pragma once
// Reading an edit's text as a number, with a fallback for anything else.
#include <string_view>

namespace number {

// Leading spaces, then a sign with decimal digits, decimal digits, or hex
// digits after '$', 'x', 'X', "0x" or "0X" (at most 32 bits); a decimal number
// must fit a signed 32-bit integer.  Anything else gives `fallback`.
int StrToIntDef(std::string_view text, int fallback);

} // namespace number
