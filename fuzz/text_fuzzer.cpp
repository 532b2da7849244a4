// The text conversions: Windows-1252 both ways, integer text, temperatures.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/config/cp1252.h"
#include "core/config/integer_text.h"
#include "core/config/safe_blocks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Bytes from the panel decode to a text that encodes back to them.
    const std::u32string text = DecodeCp1252(data, size);
    const std::optional<std::vector<std::uint8_t>> bytes = EncodeCp1252(text);
    if (!bytes || *bytes != std::vector<std::uint8_t>(data, data + size)) std::abort();

    // The same bytes read as UTF-32 code points typed by a user.
    std::u32string typed;
    for (std::size_t i = 0; i + 4 <= size; i += 4) {
        typed.push_back(static_cast<char32_t>(data[i] | (data[i + 1] << 8) | (data[i + 2] << 16) |
                                              (static_cast<std::uint32_t>(data[i + 3]) << 24)));
    }
    EncodeCp1252(typed);

    const std::string_view typedText(reinterpret_cast<const char*>(data), size);
    ParseInteger(typedText);
    const TemperatureEntry entry = EncodeTemperature(typedText);
    if (entry.check == TemperatureCheck::Accepted) {
        // An accepted temperature shows as a text that is accepted again
        // and gives the same word.
        const TemperatureEntry again = EncodeTemperature(DecodeTemperature(entry.word));
        if (again.check != TemperatureCheck::Accepted || again.word != entry.word) std::abort();
    }
    if (size >= 2) DecodeTemperature(static_cast<std::uint16_t>(data[0] << 8 | data[1]));
    return 0;
}
