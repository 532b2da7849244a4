#pragma once
// The configuration blocks the panel stores, one per tab or sub-page. The
// answer handling and the pages share this one table, so a block's accepted
// lengths and its title are written down exactly once.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

// Every block id a page reads or writes, including the read-only modem
// blocks that the main window never shows.
enum class BlockId : std::uint8_t {
    IpAddressesAndPorts = 1,
    PollingInterval = 2,
    RfCommunication = 3,
    WifiNetwork = 6,
    SimPin = 7,
    JammingLevel = 10,
    SimcardData = 12,
    CellTowerData = 13,
    JammingRules = 16,
    Actuators = 17,
    WiredSensors = 23,
    Siren = 24,
    CommonActuator = 25,
    Buzzer = 26,
    PanelRules = 38,
    KeypadAddress = 39,
    KeypadPartition = 40,
    SafeFunction = 41,
    AlarmFunction = 42,
};

constexpr std::uint8_t BlockByte(BlockId id)
{
    return static_cast<std::uint8_t>(id);
}

// A block the main window shows when it is read. Lengths count the payload
// with its block id. A block with two forms lists both; a block of one form
// lists it twice; anyLength takes every non-empty payload.
struct BlockEntry {
    BlockId id;
    std::array<std::uint8_t, 2> lengths;
    bool anyLength;
    const char* title;
};

// The entry of a block id, or nullptr for ids whose answers are dropped
// (the modem's read-only blocks 7, 10, 13, 16 and every unknown id).
const BlockEntry* FindBlock(std::uint8_t id);
inline const BlockEntry* FindBlock(BlockId id)
{
    return FindBlock(BlockByte(id));
}

bool AcceptsLength(const BlockEntry& entry, std::size_t length);

// Whether a block holds a secret (the Wi-Fi block and its password): shown
// as bytes, in a display or a trace, it is masked whole unless the user
// asked for secrets.
constexpr bool BlockHoldsSecret(std::uint8_t id) { return id == BlockByte(BlockId::WifiNetwork); }

// Every entry, in increasing block id.
std::span<const BlockEntry> AllBlocks();

// The block of the showing sub-page of a tab with one block per sub-page
// (blocks in the notebook's order); nothing for an index outside it.
inline std::optional<std::uint8_t> SubPageBlock(std::span<const BlockId> blocks, int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= blocks.size()) return std::nullopt;
    return BlockByte(blocks[static_cast<std::size_t>(index)]);
}
