#include "core/bytes/hex_text.h"

#include <algorithm>

namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

void AppendHexBytes(std::string& text, const std::uint8_t* bytes, std::size_t count, std::string_view between)
{
    if (bytes == nullptr || count == 0) return;
    const std::size_t start = text.size();
    text.resize(start + count * 2 + (count - 1) * between.size());
    char* out = text.data() + start;
    for (std::size_t i = 0; i < count; ++i) {
        if (i != 0) out = std::copy(between.begin(), between.end(), out);
        *out++ = kDigits[bytes[i] >> 4];
        *out++ = kDigits[bytes[i] & 0x0F];
    }
}

HexParse ParseHexBytes(std::string_view text)
{
    HexParse parse;
    parse.bytes.reserve(text.size() / 3 + 1);
    // Each byte is three characters ("XX "), but the last has no blank.
    for (std::size_t at = 0; at < text.size(); at += 3) {
        const int high = HexDigit(text[at]);
        if (high < 0) return {{}, at + 1};
        const int low = at + 1 < text.size() ? HexDigit(text[at + 1]) : -1;
        if (low < 0) return {{}, at + 2};
        if (at + 2 < text.size() && (text[at + 2] != ' ' || at + 3 == text.size())) return {{}, at + 3};
        parse.bytes.push_back(static_cast<std::uint8_t>(high << 4 | low));
    }
    return parse;
}
