#include "core/config/modem_blocks.h"

#include <array>

#include "core/bytes/big_endian.h"
#include "core/config/fixed_block_codec.h"

std::optional<std::int32_t> UnpackSimcardDataInterval(const std::uint8_t* payload, std::size_t length)
{
    if (!IsBlockAnswer(BlockId::SimcardData, payload, length)) return std::nullopt;
    return static_cast<std::int32_t>(GetBigEndian32(&payload[1]));
}
