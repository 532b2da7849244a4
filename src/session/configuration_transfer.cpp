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
    // What was written and what was not is the core's restore run; this
    // only carries its steps to the panel.
    RestoreRun run(saved, ids);
    while (const std::optional<RestoreRun::Step> next = run.Next()) {
        if (next->kind == RestoreRun::Step::Kind::ReadBack) {
            const PanelExchange::Read check = exchange.ReadBlock(next->id);
            run.OnReadBack(check.outcome == PanelExchange::Outcome::Done ? std::optional(check.block) : std::nullopt);
        } else if (!run.Written().empty() && step && !step(static_cast<int>(run.Written().size()))) {
            run.Cancel();
        } else {
            const PanelExchange::Outcome write = exchange.WriteBlock(run.Bytes(next->id));
            run.OnWriteAnswered(write == PanelExchange::Outcome::Done      ? RestoreRun::WriteAnswer::Accepted
                                : write == PanelExchange::Outcome::Refused ? RestoreRun::WriteAnswer::Refused
                                                                           : RestoreRun::WriteAnswer::NoAnswer);
        }
    }
    WriteOutcome outcome;
    outcome.written = run.Written();
    outcome.notWritten = run.NotWritten();
    switch (run.Stopped()) {
    case RestoreRun::Stop::None: outcome.result = WriteOutcome::Result::Done; break;
    case RestoreRun::Stop::Cancelled: outcome.result = WriteOutcome::Result::Stopped; break;
    case RestoreRun::Stop::WriteRefused: outcome.result = WriteOutcome::Result::Refused; break;
    case RestoreRun::Stop::WriteUnanswered: outcome.result = WriteOutcome::Result::NoAnswer; break;
    case RestoreRun::Stop::ReadBackDiffers: outcome.result = WriteOutcome::Result::ReadBackDiffers; break;
    }
    if (run.Stopped() != RestoreRun::Stop::None) {
        outcome.block = run.StoppedAt();
        return outcome;
    }
    if (!ids.empty()) outcome.block = ids.back();
    if (step) step(static_cast<int>(outcome.written.size()));
    return outcome;
}
