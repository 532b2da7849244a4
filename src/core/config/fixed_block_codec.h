#pragma once
// What the codecs of fixed-size blocks share: the block's one length as the
// block table gives it, the test an answer must pass before a single byte
// of it is read, and how a typed number is kept in its width.

#include <cstddef>
#include <cstdint>

#include "core/panel/block_table.h"

// The one length of a fixed-size block, block id included.
inline std::size_t FixedBlockLength(BlockId id)
{
    return FindBlock(id)->lengths[0];
}

// Whether an answer is this block, with a length the block accepts.
inline bool IsBlockAnswer(BlockId id, const std::uint8_t* payload, std::size_t length)
{
    return payload != nullptr && length > 0 && payload[0] == BlockByte(id) && AcceptsLength(*FindBlock(id), length);
}

// A typed number is stored by keeping its low 8 or 16 bits.
inline std::uint8_t LowByte(std::int32_t value)
{
    return static_cast<std::uint8_t>(value);
}
inline std::uint16_t LowWord(std::int32_t value)
{
    return static_cast<std::uint16_t>(value);
}

// A combo box travels as its item index; no selection (-1) as 255.
inline std::uint8_t ComboByte(int index)
{
    return index < 0 ? std::uint8_t{255} : static_cast<std::uint8_t>(index);
}
// The item a byte selects in a combo box of itemCount items; -1 (no
// selection) for a byte past the last item.
inline int ComboIndex(std::uint8_t byte, int itemCount)
{
    return byte < itemCount ? int{byte} : -1;
}

// Some switches travel as a 16-bit code word instead of 0 and 1: the word
// when on, 0x0000 when off; any other word reads as off.
inline std::uint16_t SwitchWord(bool on, std::uint16_t onCode)
{
    return on ? onCode : std::uint16_t{0};
}
inline bool IsSwitchOn(std::uint16_t word, std::uint16_t onCode)
{
    return word == onCode;
}
