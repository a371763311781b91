// Reading any text as a number: the fallback is used only for what is no
// number, and every number written in decimal reads back as itself.
#include "components/editupdown/NumberConversion.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const int a = number::StrToIntDef(text, 1);
    const int b = number::StrToIntDef(text, 2);
    if (a != b && !(a == 1 && b == 2)) std::abort();
    if (size >= 4) {
        int n;
        std::memcpy(&n, data, sizeof n);
        if (number::StrToIntDef(std::to_string(n), n == 0 ? 1 : 0) != n) std::abort();
        if (number::StrToIntDef("  " + std::to_string(n), n == 0 ? 1 : 0) != n) std::abort();
    }
    return 0;
}
