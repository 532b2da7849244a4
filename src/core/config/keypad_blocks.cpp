#include "core/config/keypad_blocks.h"

#include "core/config/fixed_block_codec.h"

namespace {

constexpr std::uint8_t kKeypadOnePartition = 1;
constexpr std::size_t kFirstPartitionedOffset = 2;  // after the id and keypad 1

}  // namespace

std::vector<std::uint8_t> PackKeypadAddress(int index)
{
    std::vector<std::uint8_t> block(FixedBlockLength(BlockId::KeypadAddress));
    block[0] = BlockByte(BlockId::KeypadAddress);
    block[1] = ComboByte(index);
    return block;
}

std::optional<int> UnpackKeypadAddress(const std::uint8_t* payload, std::size_t length)
{
    if (!IsBlockAnswer(BlockId::KeypadAddress, payload, length)) return std::nullopt;
    return ComboIndex(payload[1], kKeypadAddressCount);
}

std::vector<std::uint8_t> PackKeypadPartitions(const KeypadPartitions& partitions)
{
    std::vector<std::uint8_t> block(FixedBlockLength(BlockId::KeypadPartition));
    block[0] = BlockByte(BlockId::KeypadPartition);
    block[1] = kKeypadOnePartition;
    for (std::size_t i = 0; i < kPartitionedKeypadCount; ++i) {
        block[kFirstPartitionedOffset + i] = ComboByte(partitions[i]);
    }
    return block;
}

std::optional<KeypadPartitions> UnpackKeypadPartitions(const std::uint8_t* payload, std::size_t length)
{
    if (!IsBlockAnswer(BlockId::KeypadPartition, payload, length)) return std::nullopt;
    KeypadPartitions partitions{};
    for (std::size_t i = 0; i < kPartitionedKeypadCount; ++i) {
        partitions[i] = ComboIndex(payload[kFirstPartitionedOffset + i], kPartitionChoiceCount);
    }
    return partitions;
}
