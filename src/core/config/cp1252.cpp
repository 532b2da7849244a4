#include "core/config/cp1252.h"

namespace {

// 0x80..0x9F; 0 marks the five bytes the code page leaves undefined.
constexpr char32_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

}  // namespace

std::optional<std::uint8_t> Cp1252Byte(char32_t character)
{
    if (character < 0x80 || (character >= 0xA0 && character <= 0xFF)) return static_cast<std::uint8_t>(character);
    for (int i = 0; i < 32; ++i) {
        if (kHighControls[i] != 0 && kHighControls[i] == character) return static_cast<std::uint8_t>(0x80 + i);
    }
    // An undefined byte stands for itself both ways.
    if (character >= 0x80 && character <= 0x9F && kHighControls[character - 0x80] == 0) {
        return static_cast<std::uint8_t>(character);
    }
    return std::nullopt;
}

bool IsCp1252Character(char32_t character) { return Cp1252Byte(character).has_value(); }

char32_t Cp1252Character(std::uint8_t byte)
{
    if (byte >= 0x80 && byte <= 0x9F && kHighControls[byte - 0x80] != 0) return kHighControls[byte - 0x80];
    return byte;
}

std::optional<std::vector<std::uint8_t>> EncodeCp1252(const std::u32string& text)
{
    std::vector<std::uint8_t> bytes;
    bytes.reserve(text.size());
    for (char32_t c : text) {
        const std::optional<std::uint8_t> byte = Cp1252Byte(c);
        if (!byte) return std::nullopt;
        bytes.push_back(*byte);
    }
    return bytes;
}

std::u32string DecodeCp1252(const std::uint8_t* bytes, std::size_t count)
{
    std::u32string text;
    if (bytes == nullptr) return text;
    text.reserve(count);
    for (std::size_t i = 0; i < count; ++i) text.push_back(Cp1252Character(bytes[i]));
    return text;
}

std::string Cp1252ToUtf8(const std::uint8_t* bytes, std::size_t count)
{
    std::string text;
    text.reserve(count);
    for (char32_t c : DecodeCp1252(bytes, count)) {
        if (c < 0x80) {
            text.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            text.push_back(static_cast<char>(0xC0 | (c >> 6)));
            text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            // Windows-1252 reaches no further than the Basic Multilingual Plane.
            text.push_back(static_cast<char>(0xE0 | (c >> 12)));
            text.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return text;
}
