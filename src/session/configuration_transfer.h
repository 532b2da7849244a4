#pragma once
// A panel's whole configuration, read or written one exchange at a time
// through a PanelExchange: the blocks, the RF sensor table, and the writes
// of a restore, each read back. Each runs on the event loop without nesting
// it and tells its outcome to a callback; the awaited forms (a local loop)
// are the command-line tool's. One way for every caller; each words the
// outcome its own way.

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "core/config/restore_plan.h"
#include "session/panel_exchange.h"

// Told before each next step with the steps done; false stops there (a
// request already sent is answered first).
using TransferStep = std::function<bool(int done)>;

struct ReadOutcome {
    enum class Result { Done, Refused, NoAnswer, Stopped };
    Result result = Result::Done;
    std::uint8_t block = 0;  // the block (or slot) that failed or was next
    int slot = 0;
};


// Reads the blocks, in order; done gets them with the outcome.
void ReadBlocksAsync(PanelExchange& exchange, const std::vector<std::uint8_t>& ids, TransferStep step,
                     std::function<void(ReadOutcome, BlockMap)> done);
// Every slot of the RF sensor table; keeps the records with a valid serial,
// as the RF sensors tab shows them.
void ReadRfRecordsAsync(PanelExchange& exchange, TransferStep step, std::function<void(ReadOutcome, RfSensorTable)> done);

struct WriteOutcome {
    enum class Result { Done, Refused, NoAnswer, ReadBackDiffers, Stopped };
    Result result = Result::Done;
    std::vector<std::uint8_t> written;
    std::vector<std::uint8_t> notWritten;  // what was planned and not written
    std::uint8_t block = 0;                // the block that failed or was next
};

// Writes the blocks of saved named by ids, each acknowledged and read back;
// stops at the first that fails.
void WriteBlocksAsync(PanelExchange& exchange, const BlockMap& saved, const std::vector<std::uint8_t>& ids,
                      TransferStep step, std::function<void(WriteOutcome)> done);

// ---- Awaited, for the command-line tool ----
ReadOutcome ReadBlocks(PanelExchange& exchange, const std::vector<std::uint8_t>& ids, BlockMap& blocks,
                       const TransferStep& step);
ReadOutcome ReadRfRecords(PanelExchange& exchange, RfSensorTable& records, const TransferStep& step);
WriteOutcome WriteBlocks(PanelExchange& exchange, const BlockMap& saved, const std::vector<std::uint8_t>& ids,
                         const TransferStep& step);
