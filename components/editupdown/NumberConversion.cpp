#include "components/editupdown/NumberConversion.h"

#include <cstdint>
#include <limits>

namespace number {

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

} // namespace

std::optional<int> StrToInt(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    const std::string_view rest = text.substr(i);
    if (rest.empty()) return std::nullopt;

    size_t hexStart = 0;
    if (rest[0] == '$' || rest[0] == 'x' || rest[0] == 'X') hexStart = 1;
    else if (rest.size() >= 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X')) hexStart = 2;
    if (hexStart) {
        if (hexStart == rest.size()) return std::nullopt;
        std::uint64_t value = 0;
        for (size_t k = hexStart; k < rest.size(); ++k) {
            const int d = HexDigit(rest[k]);
            if (d < 0) return std::nullopt;
            value = value * 16 + static_cast<unsigned>(d);
            if (value > 0xFFFFFFFFu) return std::nullopt;
        }
        return static_cast<int>(static_cast<std::uint32_t>(value));
    }

    size_t k = 0;
    const bool negative = rest[0] == '-';
    if (rest[0] == '+' || rest[0] == '-') k = 1;
    if (k == rest.size()) return std::nullopt;
    std::int64_t value = 0;
    for (; k < rest.size(); ++k) {
        if (!IsDigit(rest[k])) return std::nullopt;
        value = value * 10 + (rest[k] - '0');
        if (value > std::int64_t{std::numeric_limits<int>::max()} + 1) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<int>::max() || value < std::numeric_limits<int>::min()) return std::nullopt;
    return static_cast<int>(value);
}

int StrToIntDef(std::string_view text, int fallback) { return StrToInt(text).value_or(fallback); }

} // namespace number
