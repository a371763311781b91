// The fuzzers run natively: the options' text conversion done with iconv, as
// the program does it with the Windows code page 932 tables.
#include "framework/Text.h"

#include <iconv.h>

#include <cstdlib>

namespace text {

std::string FromUtf8(std::string_view utf8)
{
    const iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) std::abort();
    std::string out(utf8.size(), '\0'); // code page 932 never takes more bytes than UTF-8
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size();
    char* to = out.data();
    size_t outLeft = out.size();
    if (iconv(cd, &in, &inLeft, &to, &outLeft) == static_cast<size_t>(-1)) std::abort();
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

} // namespace text
