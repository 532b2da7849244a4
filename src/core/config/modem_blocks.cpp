#include "core/config/modem_blocks.h"

#include <array>

#include "core/config/fixed_block_codec.h"
#include "core/link/big_endian.h"

namespace {

// In the notebook's tab order.
constexpr std::array<BlockId, kModemSubPageCount> kSubPageBlocks = {
    BlockId::JammingRules, BlockId::JammingLevel, BlockId::SimcardData, BlockId::SimPin, BlockId::CellTowerData,
};

}  // namespace

std::optional<std::uint8_t> ModemSubPageBlock(int index)
{
    if (index < 0 || index >= kModemSubPageCount) return std::nullopt;
    return BlockByte(kSubPageBlocks[static_cast<std::size_t>(index)]);
}

std::optional<std::int32_t> UnpackSimcardDataInterval(const std::uint8_t* payload, std::size_t length)
{
    if (!IsBlockAnswer(BlockId::SimcardData, payload, length)) return std::nullopt;
    return static_cast<std::int32_t>(GetBigEndian32(&payload[1]));
}
