#include "core/config/integer_text.h"

namespace {

int DigitValue(char c, bool hex)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (!hex) return -1;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<std::int32_t> ParseInteger(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i < text.size() && text[i] == '$') {
        hex = true;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i == text.size()) return std::nullopt;

    // Accumulate in 64 bits and stop as soon as no 32-bit value can follow.
    const std::int64_t limit = hex ? 0xFFFFFFFFLL : (negative ? 2147483648LL : 2147483647LL);
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const int digit = DigitValue(text[i], hex);
        if (digit < 0) return std::nullopt;
        value = value * (hex ? 16 : 10) + digit;
        if (value > limit) return std::nullopt;
    }
    if (hex) {
        const auto bits = static_cast<std::uint32_t>(value);
        const auto signedValue = static_cast<std::int32_t>(bits);
        return negative ? static_cast<std::int32_t>(0u - bits) : signedValue;
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}
