#pragma once
// Bytes as hexadecimal text, the one way the tool writes them: upper-case
// pairs, by default separated by one blank ("0A FF 03"). Backups, traces,
// comparisons, the log's CSV and the diagnostic pages all write through here.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Appends the pairs to text, `between` between two of them; no allocation
// beyond text's own growth, for the log's CSV of millions of lines.
void AppendHexBytes(std::string& text, const std::uint8_t* bytes, std::size_t count, std::string_view between = " ");

inline std::string HexBytes(const std::uint8_t* bytes, std::size_t count, std::string_view between = " ")
{
    std::string text;
    AppendHexBytes(text, bytes, count, between);
    return text;
}
inline std::string HexBytes(const std::vector<std::uint8_t>& bytes) { return HexBytes(bytes.data(), bytes.size()); }

// The bytes of exactly what HexBytes writes with its blanks (lower-case
// digits too), or the 1-based position of the first character that breaks
// it: a group that is not two digits, a blank that is not one space between
// pairs, a sign, a tab or a line break. Empty text reads as no bytes.
struct HexParse {
    std::vector<std::uint8_t> bytes;
    std::size_t badPosition = 0;  // 0 when the text was read whole
};
HexParse ParseHexBytes(std::string_view text);
