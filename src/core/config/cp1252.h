#pragma once
// Text travels on the link as Windows-1252, one byte per character. Qt has
// no converter for it: Latin-1 plus a table for 0x80..0x9F does it, and a
// character outside the code page is refused rather than silently lost.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The byte of a character, or nothing when Windows-1252 cannot carry it.
std::optional<std::uint8_t> Cp1252Byte(char32_t character);
bool IsCp1252Character(char32_t character);
// Undefined bytes (0x81, 0x8D, 0x8F, 0x90, 0x9D) decode to the control
// character of the same value and encode back to their byte, so a text read
// from the panel is written back unchanged.
char32_t Cp1252Character(std::uint8_t byte);

std::optional<std::vector<std::uint8_t>> EncodeCp1252(const std::u32string& text);
std::u32string DecodeCp1252(const std::uint8_t* bytes, std::size_t count);
// The same text as UTF-8, for files, terminals and the core's own texts.
std::string Cp1252ToUtf8(const std::uint8_t* bytes, std::size_t count);
