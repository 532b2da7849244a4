#include "core/config/alarm_blocks.h"

#include "core/bytes/big_endian.h"
#include "core/config/fixed_block_codec.h"

std::vector<std::uint8_t> PackAlarmFunction(bool enabled)
{
    std::vector<std::uint8_t> block(FixedBlockLength(BlockId::AlarmFunction));
    block[0] = BlockByte(BlockId::AlarmFunction);
    PutBigEndian16(&block[1], SwitchWord(enabled, AlarmEnabledCode));
    return block;
}

std::optional<bool> UnpackAlarmFunction(const std::uint8_t* payload, std::size_t length)
{
    if (!IsBlockAnswer(BlockId::AlarmFunction, payload, length)) return std::nullopt;
    return IsSwitchOn(GetBigEndian16(&payload[1]), AlarmEnabledCode);
}
