#pragma once
// The configuration blocks a panel holds, as they travel: block id first,
// then the block's data. Factory contents and the write rules depend on the
// model: model 37 carries two outputs in block 17 and four wired sensors in
// block 23, the other models four outputs and six sensors.

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

namespace sim {

inline constexpr uint8_t kWifiBlock = 6;
inline constexpr uint8_t kRfConfigBlock = 3;
inline constexpr size_t kWifiFieldMax = 39;

using BlockMap = std::map<uint8_t, std::vector<uint8_t>>;

// Every block a panel of this model answers, with plausible factory values.
// Block 3 has its long form (crystal byte) on model 56 only.
BlockMap FactoryBlocks(uint8_t model);
bool HasLongRfBlock(uint8_t model);

// Whether a write payload (block id first) has the length this panel
// expects for that block. Unknown ids and the modem blocks, which the panel
// only reports (7, 10, 12, 13, 16), are never acceptable.
bool IsAcceptableWrite(const uint8_t* block, size_t length, uint8_t model);

// The Wi-Fi block's two counted strings must fill it exactly:
// 6, n, n bytes, m, m bytes, with n and m at most 39.
bool WifiBlockFits(const uint8_t* block, size_t length);

}  // namespace sim
