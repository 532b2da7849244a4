#pragma once
// Blocks 39 and 40: the keypad's own address, and the partition each of
// keypads 2 to 8 belongs to. Both travel as combo-box item indexes; -1
// stands for a combo box without a selection.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// ---- Block 39 ----
inline constexpr int kKeypadAddressCount = 8;  // "Teclado 1" to "Teclado 8"

std::vector<std::uint8_t> PackKeypadAddress(int index);
// The item index the answer selects; -1 for a byte past "Teclado 8".
std::optional<int> UnpackKeypadAddress(const std::uint8_t* payload, std::size_t length);

// ---- Block 40 ----
inline constexpr std::size_t kPartitionedKeypadCount = 7;  // keypads 2 to 8
inline constexpr std::array<const char*, 4> kPartitionItems{"Não Instalado", "Partição 1", "Partição 2",
                                                            "Partição 3"};
inline constexpr int kPartitionChoiceCount = static_cast<int>(kPartitionItems.size());

// Item index per keypad, keypad 2 first.
using KeypadPartitions = std::array<int, kPartitionedKeypadCount>;

// Keypad 1 has no choice: it always belongs to partition 1.
std::vector<std::uint8_t> PackKeypadPartitions(const KeypadPartitions& partitions);
// Keypad 1's byte is not shown; a byte past "Partição 3" selects nothing.
std::optional<KeypadPartitions> UnpackKeypadPartitions(const std::uint8_t* payload, std::size_t length);
