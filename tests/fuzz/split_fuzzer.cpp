// Splitting any command line yields non-empty parameters without quotes, and
// quoting each of them again gives back the same split.
#include "app/Options.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::wstring line;
    for (size_t i = 0; i + 1 < size; i += 2) line += static_cast<wchar_t>(data[i] | data[i + 1] << 8);
    const auto params = SplitParameters(line);
    std::wstring again = L"Lullwick.exe";
    for (const auto& p : params) {
        if (p.empty() || p.find(L'"') != std::wstring::npos) std::abort();
        again += L" \"" + p + L"\"";
    }
    if (SplitParameters(again) != params) std::abort();
    return 0;
}
