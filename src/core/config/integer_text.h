#pragma once
// The integer conversion every numeric field goes through: optional leading
// blanks, an optional sign, then decimal digits, or hexadecimal after "$" or
// "0x". The value must fit a signed 32-bit integer (hexadecimal: 32 bits,
// taken as two's complement). Anything else, the empty text included, fails.

#include <cstdint>
#include <optional>
#include <string_view>

std::optional<std::int32_t> ParseInteger(std::string_view text);
