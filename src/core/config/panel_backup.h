#pragma once
// Which blocks make up a panel's configuration, and whether a block taken
// from a file can belong to a panel of a given model: the checks a backup
// must pass before any of it is written to a panel.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/panel/block_table.h"  // BlockHoldsSecret
#include "core/panel/device_identity.h"

// A panel's blocks by id, each holding its id first.
using BlockMap = std::map<std::uint8_t, std::vector<std::uint8_t>>;

// The records of enrolled sensors (16 bytes each, a valid serial) by slot,
// 1 to 2048.
using RfSensorTable = std::map<int, std::vector<std::uint8_t>>;

// A panel's whole configuration as read at one time: what the session
// reads, the library keeps and the backup file carries.
struct PanelBackup {
    Identification panel;
    std::int64_t takenMs = 0;  // when it was read, in milliseconds since 1970 (UTC); 0: unknown
    BlockMap blocks;
    // Present when the RF sensors were read (an empty table: none enrolled).
    std::optional<RfSensorTable> rf;
};

// The blocks a panel of this model holds that the tool can read, in
// increasing id: every block of the block table.
std::vector<std::uint8_t> ConfigurationBlockIds();

// The window's tabs that show configuration blocks, in the notebook's order,
// with the blocks each shows: a backup or a report read as the window is.
struct ConfigurationTab {
    const char* caption;  // UTF-8, as on the tab
    std::vector<std::uint8_t> blocks;
    // On a tab with sub-pages, the caption of each block's sub-page, in the
    // order of blocks; empty where the tab shows its block whole.
    std::vector<const char*> subPages = {};
};
const std::vector<ConfigurationTab>& ConfigurationTabs();

// Where the window shows a block, as an installer looks for it: its tab,
// and on a tab with sub-pages the sub-page ("Atuadores / Sirene"); the
// block's title for one no tab shows, "" for an unknown id.
std::string BlockPlace(std::uint8_t id);


// Whether the tool writes this block; the modem's blocks are only read.
bool IsWritableBlock(std::uint8_t id);

// Why a block (id first) cannot be a block of a panel of this model, or
// nothing when it can: an unknown id, or a length the model does not use
// (the outputs and the wired sensors depend on the model; the Wi-Fi block
// must be filled exactly by its two counted texts).
std::optional<std::string> CheckBlockForModel(std::uint8_t model, const std::vector<std::uint8_t>& block);
