#pragma once
// Blocks of the modem tab. Each sub-page reads a block of its own, but the
// tool decodes only the SIM card data interval (block 12); the answers of
// the other four are dropped, and nothing on this tab is ever written.

#include <cstddef>
#include <cstdint>
#include <optional>

inline constexpr int kModemSubPageCount = 5;

// The block the read button asks for on a sub-page; nothing for an index
// outside the notebook.
std::optional<std::uint8_t> ModemSubPageBlock(int index);

// The interval in seconds between two sendings of the SIM card data. The
// panel sends 32 bits; the tool shows them as a signed number, so a value
// with the top bit set comes out negative.
std::optional<std::int32_t> UnpackSimcardDataInterval(const std::uint8_t* payload, std::size_t length);
