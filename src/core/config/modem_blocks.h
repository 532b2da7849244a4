#pragma once
// Blocks of the modem tab. Each sub-page reads a block of its own, but the
// tool decodes only the SIM card data interval (block 12); the answers of
// the other four are dropped, and nothing on this tab is ever written.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "core/panel/block_table.h"

// The block each sub-page reads, in the notebook's order.
inline constexpr std::array<BlockId, 5> kModemSubPageBlocks = {
    BlockId::JammingRules, BlockId::JammingLevel, BlockId::SimcardData, BlockId::SimPin, BlockId::CellTowerData,
};

// The interval in seconds between two sendings of the SIM card data. The
// panel sends 32 bits; the tool shows them as a signed number, so a value
// with the top bit set comes out negative.
std::optional<std::int32_t> UnpackSimcardDataInterval(const std::uint8_t* payload, std::size_t length);
