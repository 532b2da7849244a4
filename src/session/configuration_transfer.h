#pragma once
// A panel's whole configuration, read or written one awaited exchange at a
// time through a PanelExchange: the blocks, the RF sensor table, and the
// writes of a restore, each read back. One way for the command-line tool
// and the library window; each caller words the outcome its own way.

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "core/config/restore_plan.h"
#include "session/panel_exchange.h"

// Told after each step with the steps done; false stops before the next.
using TransferStep = std::function<bool(int done)>;

struct ReadOutcome {
    enum class Result { Done, Refused, NoAnswer, Stopped };
    Result result = Result::Done;
    std::uint8_t block = 0;  // the block (or slot) that failed or was next
    int slot = 0;
};

// Reads the blocks, in order, into blocks.
ReadOutcome ReadBlocks(PanelExchange& exchange, const std::vector<std::uint8_t>& ids, BlockMap& blocks,
                       const TransferStep& step);

// Every slot of the RF sensor table; keeps the records with a valid serial,
// as the RF sensors tab shows them.
ReadOutcome ReadRfRecords(PanelExchange& exchange, std::map<int, std::vector<std::uint8_t>>& records,
                          const TransferStep& step);

struct WriteOutcome {
    enum class Result { Done, Refused, NoAnswer, ReadBackDiffers, Stopped };
    Result result = Result::Done;
    std::vector<std::uint8_t> written;
    std::vector<std::uint8_t> notWritten;  // what was planned and not written
    std::uint8_t block = 0;                // the block that failed or was next
};

// Writes the blocks of saved named by ids, each acknowledged and read back;
// stops at the first that fails.
WriteOutcome WriteBlocks(PanelExchange& exchange, const BlockMap& saved, const std::vector<std::uint8_t>& ids,
                         const TransferStep& step);
