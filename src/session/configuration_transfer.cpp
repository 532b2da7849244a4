#include "session/configuration_transfer.h"

#include "core/rf/rf_sensor_record.h"

namespace {

ReadOutcome::Result ReadResult(PanelExchange::Outcome outcome)
{
    return outcome == PanelExchange::Outcome::Refused ? ReadOutcome::Result::Refused : ReadOutcome::Result::NoAnswer;
}

}  // namespace

ReadOutcome ReadBlocks(PanelExchange& exchange, const std::vector<std::uint8_t>& ids, BlockMap& blocks,
                       const TransferStep& step)
{
    int done = 0;
    for (std::uint8_t id : ids) {
        if (done > 0 && step && !step(done)) return {ReadOutcome::Result::Stopped, id, 0};
        const PanelExchange::Read read = exchange.ReadBlock(id);
        if (read.outcome != PanelExchange::Outcome::Done) return {ReadResult(read.outcome), id, 0};
        blocks[id] = read.block;
        ++done;
    }
    if (step) step(done);
    return {};
}

ReadOutcome ReadRfRecords(PanelExchange& exchange, std::map<int, std::vector<std::uint8_t>>& records,
                          const TransferStep& step)
{
    for (int slot = 1; slot <= kRfSensorTableSize; ++slot) {
        if (slot > 1 && step && !step(slot - 1)) return {ReadOutcome::Result::Stopped, 0, slot};
        const PanelExchange::Read read = exchange.ReadRfRecord(slot);
        if (read.outcome != PanelExchange::Outcome::Done) return {ReadResult(read.outcome), 0, slot};
        const std::optional<RfSensorRecord> record = UnpackRfSensorRecord(read.block.data(), read.block.size());
        if (record && IsValidRfSerial(record->serial)) records[slot] = read.block;
    }
    if (step) step(kRfSensorTableSize);
    return {};
}

WriteOutcome WriteBlocks(PanelExchange& exchange, const BlockMap& saved, const std::vector<std::uint8_t>& ids,
                         const TransferStep& step)
{
    WriteOutcome outcome;
    outcome.notWritten = ids;
    for (std::uint8_t id : ids) {
        outcome.block = id;
        if (!outcome.written.empty() && step && !step(static_cast<int>(outcome.written.size()))) {
            outcome.result = WriteOutcome::Result::Stopped;
            return outcome;
        }
        const std::vector<std::uint8_t>& block = saved.at(id);
        const PanelExchange::Outcome write = exchange.WriteBlock(block);
        if (write != PanelExchange::Outcome::Done) {
            outcome.result = write == PanelExchange::Outcome::Refused ? WriteOutcome::Result::Refused
                                                                      : WriteOutcome::Result::NoAnswer;
            return outcome;
        }
        const PanelExchange::Read check = exchange.ReadBlock(id);
        if (check.outcome != PanelExchange::Outcome::Done || check.block != block) {
            outcome.result = WriteOutcome::Result::ReadBackDiffers;
            return outcome;
        }
        outcome.written.push_back(id);
        outcome.notWritten.erase(outcome.notWritten.begin());
    }
    if (step) step(static_cast<int>(outcome.written.size()));
    return outcome;
}
