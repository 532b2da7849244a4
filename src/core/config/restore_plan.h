#pragma once
// Which blocks of a saved configuration a restore writes to a panel: the
// writable ones that differ from what the panel holds. A block of two
// forms (the RF block) must be in the panel's form; the Wi-Fi block's
// length follows its texts. One plan for the command-line tool and the
// library window.

#include <cstdint>
#include <map>
#include <cstddef>
#include <optional>
#include <vector>

using BlockMap = std::map<std::uint8_t, std::vector<std::uint8_t>>;  // by id, each holding its id first

struct RestorePlan {
    std::vector<std::uint8_t> toWrite;  // in increasing id
    // Set when the saved configuration cannot go to this panel at all: a
    // block whose length the panel's own does not match.
    struct Mismatch {
        std::uint8_t block = 0;
        std::size_t savedLength = 0;
        std::size_t panelLength = 0;
    };
    std::optional<Mismatch> refusal;
};

// The writable blocks of a saved configuration, in increasing id.
std::vector<std::uint8_t> WritableBlocks(const BlockMap& saved);

// current: what the panel holds of at least every writable saved block.
RestorePlan PlanRestore(const BlockMap& saved, const BlockMap& current);
