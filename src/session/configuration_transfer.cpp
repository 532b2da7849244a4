#include "session/configuration_transfer.h"

#include <QEventLoop>
#include <memory>

#include "core/rf/rf_sensor_record.h"

namespace {

ReadOutcome::Result ReadResult(PanelExchange::Outcome outcome)
{
    return outcome == PanelExchange::Outcome::Refused ? ReadOutcome::Result::Refused : ReadOutcome::Result::NoAnswer;
}

struct BlockRead {
    PanelExchange& exchange;
    std::vector<std::uint8_t> ids;
    TransferStep step;
    std::function<void(ReadOutcome, BlockMap)> done;
    BlockMap blocks;
    std::size_t next = 0;
};

void NextBlock(const std::shared_ptr<BlockRead>& read)
{
    const int done = static_cast<int>(read->next);
    if (read->next == read->ids.size()) {
        if (read->step) read->step(done);
        read->done({}, std::move(read->blocks));
        return;
    }
    const std::uint8_t id = read->ids[read->next];
    if (done > 0 && read->step && !read->step(done)) {
        read->done({ReadOutcome::Result::Stopped, id, 0}, std::move(read->blocks));
        return;
    }
    read->exchange.ReadBlock(id, [read, id](PanelExchange::Read answer) {
        if (answer.outcome != PanelExchange::Outcome::Done) {
            read->done({ReadResult(answer.outcome), id, 0}, std::move(read->blocks));
            return;
        }
        read->blocks[id] = std::move(answer.block);
        ++read->next;
        NextBlock(read);
    });
}

struct RfRead {
    PanelExchange& exchange;
    TransferStep step;
    std::function<void(ReadOutcome, RfSensorTable)> done;
    RfSensorTable records;
    int slot = 1;
};

void NextSlot(const std::shared_ptr<RfRead>& read)
{
    const int slot = read->slot;
    if (slot > kRfSensorTableSize) {
        if (read->step) read->step(kRfSensorTableSize);
        read->done({}, std::move(read->records));
        return;
    }
    if (slot > 1 && read->step && !read->step(slot - 1)) {
        read->done({ReadOutcome::Result::Stopped, 0, slot}, {});
        return;
    }
    read->exchange.ReadRfRecord(slot, [read, slot](PanelExchange::Read answer) {
        if (answer.outcome != PanelExchange::Outcome::Done) {
            read->done({ReadResult(answer.outcome), 0, slot}, {});
            return;
        }
        const std::optional<RfSensorRecord> record = UnpackRfSensorRecord(answer.block.data(), answer.block.size());
        if (record && IsValidRfSerial(record->serial)) read->records[slot] = std::move(answer.block);
        ++read->slot;
        NextSlot(read);
    });
}

struct BlockWrite {
    BlockWrite(PanelExchange& exchange, const BlockMap& saved, const std::vector<std::uint8_t>& ids)
        : exchange(exchange), run(saved, ids), last(ids.empty() ? 0 : ids.back())
    {
    }
    PanelExchange& exchange;
    // What was written and what was not is the core's restore run; this
    // only carries its steps to the panel.
    RestoreRun run;
    std::uint8_t last;
    TransferStep step;
    std::function<void(WriteOutcome)> done;
};

void EndWrite(const std::shared_ptr<BlockWrite>& write)
{
    const RestoreRun& run = write->run;
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
    } else {
        outcome.block = write->last;
        if (write->step) write->step(static_cast<int>(outcome.written.size()));
    }
    write->done(std::move(outcome));
}

void NextWrite(const std::shared_ptr<BlockWrite>& write)
{
    RestoreRun& run = write->run;
    for (;;) {
        const std::optional<RestoreRun::Step> next = run.Next();
        if (!next) {
            EndWrite(write);
            return;
        }
        if (next->kind == RestoreRun::Step::Kind::ReadBack) {
            write->exchange.ReadBlock(next->id, [write](PanelExchange::Read check) {
                write->run.OnReadBack(check.outcome == PanelExchange::Outcome::Done ? std::optional(check.block)
                                                                                     : std::nullopt);
                NextWrite(write);
            });
            return;
        }
        if (!run.Written().empty() && write->step && !write->step(static_cast<int>(run.Written().size()))) {
            run.Cancel();
            continue;
        }
        write->exchange.WriteBlock(run.Bytes(next->id), [write](PanelExchange::Outcome answer) {
            write->run.OnWriteAnswered(answer == PanelExchange::Outcome::Done      ? RestoreRun::WriteAnswer::Accepted
                                       : answer == PanelExchange::Outcome::Refused ? RestoreRun::WriteAnswer::Refused
                                                                                   : RestoreRun::WriteAnswer::NoAnswer);
            NextWrite(write);
        });
        return;
    }
}

}  // namespace

void ReadBlocksAsync(PanelExchange& exchange, const std::vector<std::uint8_t>& ids, TransferStep step,
                     std::function<void(ReadOutcome, BlockMap)> done)
{
    NextBlock(std::make_shared<BlockRead>(BlockRead{exchange, ids, std::move(step), std::move(done), {}, 0}));
}

void ReadRfRecordsAsync(PanelExchange& exchange, TransferStep step, std::function<void(ReadOutcome, RfSensorTable)> done)
{
    NextSlot(std::make_shared<RfRead>(RfRead{exchange, std::move(step), std::move(done), {}, 1}));
}

void WriteBlocksAsync(PanelExchange& exchange, const BlockMap& saved, const std::vector<std::uint8_t>& ids,
                      TransferStep step, std::function<void(WriteOutcome)> done)
{
    auto write = std::make_shared<BlockWrite>(exchange, saved, ids);
    write->step = std::move(step);
    write->done = std::move(done);
    NextWrite(write);
}

ReadOutcome ReadBlocks(PanelExchange& exchange, const std::vector<std::uint8_t>& ids, BlockMap& blocks,
                       const TransferStep& step)
{
    QEventLoop loop;
    bool ended = false;
    ReadOutcome outcome;
    ReadBlocksAsync(exchange, ids, step, [&](ReadOutcome read, BlockMap got) {
        outcome = read;
        for (auto& [id, bytes] : got) blocks[id] = std::move(bytes);
        ended = true;
        loop.quit();
    });
    if (!ended) loop.exec();
    return outcome;
}

ReadOutcome ReadRfRecords(PanelExchange& exchange, RfSensorTable& records, const TransferStep& step)
{
    QEventLoop loop;
    bool ended = false;
    ReadOutcome outcome;
    ReadRfRecordsAsync(exchange, step, [&](ReadOutcome read, RfSensorTable got) {
        outcome = read;
        for (auto& [slot, bytes] : got) records[slot] = std::move(bytes);
        ended = true;
        loop.quit();
    });
    if (!ended) loop.exec();
    return outcome;
}

WriteOutcome WriteBlocks(PanelExchange& exchange, const BlockMap& saved, const std::vector<std::uint8_t>& ids,
                         const TransferStep& step)
{
    QEventLoop loop;
    bool ended = false;
    WriteOutcome outcome;
    WriteBlocksAsync(exchange, saved, ids, step, [&](WriteOutcome written) {
        outcome = std::move(written);
        ended = true;
        loop.quit();
    });
    if (!ended) loop.exec();
    return outcome;
}
