#include "jobs/panel_job.h"

#include <QTimer>

#include "core/panel/block_table.h"
#include "core/panel/model_capabilities.h"
#include "core/rf/rf_sensor_record.h"
#include "jobs/job_gate.h"
#include "session/clock.h"
#include "session/panel_exchange.h"
#include "session/panel_session.h"

namespace {

JobOutcome Ending(JobOutcome::End end, JobOutcome::Refusal refusal = JobOutcome::Refusal::None)
{
    JobOutcome outcome;
    outcome.end = end;
    outcome.refusal = refusal;
    return outcome;
}

JobOutcome StoppedAt(JobOutcome::End end, std::uint8_t block, int slot)
{
    JobOutcome outcome = Ending(end);
    outcome.block = block;
    outcome.slot = slot;
    return outcome;
}

}  // namespace

PanelJob::PanelJob(PanelSession& session, const Clock& clock, QObject* parent)
    : QObject(parent), session_(session), clock_(clock), gate_(&JobGate::Of(session))
{
}

PanelJob::~PanelJob()
{
    // A job dropped while it runs lets the others start; nobody hears its end.
    if (running_ && gate_) gate_->Leave();
}

bool PanelJob::Begin()
{
    if (running_ || !gate_ || !gate_->TryEnter()) return false;
    running_ = true;
    cancelled_ = false;
    // A new exchange for each job: nothing of an abandoned one answers this.
    exchange_ = std::make_unique<PanelExchange>(session_);
    return true;
}

void PanelJob::End(JobOutcome outcome)
{
    running_ = false;
    if (gate_) gate_->Leave();
    QTimer::singleShot(0, this, [this, outcome = std::move(outcome)] { emit Finished(outcome); });
}

void PanelJob::Cancel()
{
    if (running_) cancelled_ = true;
}

bool PanelJob::Step(Stage stage, int done, int total)
{
    emit Progress(stage, done, total);
    return !cancelled_ && session_.IsPortOpen();
}

JobOutcome::End PanelJob::ReadEnd(const ReadOutcome& read) const
{
    if (cancelled_) return JobOutcome::End::Cancelled;
    if (!session_.IsPortOpen()) return JobOutcome::End::PortLost;
    return read.result == ReadOutcome::Result::Refused ? JobOutcome::End::Refused : JobOutcome::End::NoAnswer;
}

void PanelJob::ReadPanel(bool withRf, std::function<void(PanelBackup)> then)
{
    if (!session_.IsPortOpen()) {
        End(Ending(JobOutcome::End::Refused, JobOutcome::Refusal::PortClosed));
        return;
    }
    emit Progress(Stage::Identifying, 0, 1);
    exchange_->Identify([this, withRf, then = std::move(then)](std::optional<Identification> identity) {
        if (cancelled_) return End(Ending(JobOutcome::End::Cancelled));
        if (!identity || !IsSupportedPanelModel(identity->model)) {
            if (!session_.IsPortOpen()) return End(Ending(JobOutcome::End::PortLost));
            return End(Ending(JobOutcome::End::Refused, JobOutcome::Refusal::NotIdentified));
        }
        auto backup = std::make_shared<PanelBackup>(PanelBackup{*identity, TakenMs(clock_.Now()), {}, std::nullopt});
        const std::vector<std::uint8_t> ids = ConfigurationBlockIds();
        const int total = static_cast<int>(ids.size());
        ReadBlocksAsync(
            *exchange_, ids, [this, total](int done) { return Step(Stage::ReadingBlocks, done, total); },
            [this, withRf, backup, then](ReadOutcome read, BlockMap blocks) {
                if (read.result != ReadOutcome::Result::Done) {
                    return End(StoppedAt(ReadEnd(read), read.block, 0));
                }
                backup->blocks = std::move(blocks);
                if (!withRf) return then(std::move(*backup));
                ReadRfRecordsAsync(
                    *exchange_, [this](int done) { return Step(Stage::ReadingRf, done, kRfSensorTableSize); },
                    [this, backup, then](ReadOutcome rf, RfSensorTable records) {
                        if (rf.result != ReadOutcome::Result::Done) {
                            return End(StoppedAt(ReadEnd(rf), 0, rf.slot));
                        }
                        backup->rf = std::move(records);
                        then(std::move(*backup));
                    });
            });
    });
}

bool PanelJob::Read(bool withRf)
{
    if (!Begin()) return false;
    ReadPanel(withRf, [this](PanelBackup backup) {
        JobOutcome outcome;
        outcome.backup = std::move(backup);
        End(std::move(outcome));
    });
    return true;
}

bool PanelJob::Save(PanelLibrary& library, bool withRf, SnapshotMeta meta)
{
    if (!Begin()) return false;
    ReadPanel(withRf, [this, &library, meta](PanelBackup backup) {
        emit Progress(Stage::Storing, 0, 1);
        const auto stored = library.StoreSnapshot(backup, meta);
        JobOutcome outcome = Ending(stored.Ok() ? JobOutcome::End::Done : JobOutcome::End::StorageFailed);
        outcome.backup = std::move(backup);
        if (stored.Ok()) outcome.snapshot = *stored.value;
        else outcome.storageError = stored.error;
        End(std::move(outcome));
    });
    return true;
}

bool PanelJob::PrepareRestore(const PanelBackup& saved)
{
    if (!Begin()) return false;
    ReadPanel(false, [this, saved](PanelBackup current) {
        JobOutcome outcome;
        outcome.backup = current;
        if (current.panel.model != saved.panel.model) {
            outcome.end = JobOutcome::End::Refused;
            outcome.refusal = JobOutcome::Refusal::OtherModel;
            return End(std::move(outcome));
        }
        outcome.plan = ::PlanRestore(saved.blocks, current.blocks);
        if (outcome.plan.refusal) {
            outcome.end = JobOutcome::End::Refused;
            outcome.refusal = JobOutcome::Refusal::BlockLength;
        } else if (outcome.plan.toWrite.empty()) {
            outcome.end = JobOutcome::End::Refused;
            outcome.refusal = JobOutcome::Refusal::NothingToWrite;
        }
        End(std::move(outcome));
    });
    return true;
}

bool PanelJob::Restore(PanelLibrary& library, const PanelBackup& current, const PanelBackup& saved,
                       const std::vector<std::uint8_t>& toWrite, SnapshotMeta before)
{
    if (!Begin()) return false;
    emit Progress(Stage::Storing, 0, 1);
    const auto kept = library.StoreSnapshot(current, before);
    if (!kept.Ok()) {
        JobOutcome outcome = Ending(JobOutcome::End::StorageFailed);
        outcome.storageError = kept.error;
        End(std::move(outcome));
        return true;
    }
    const int total = static_cast<int>(toWrite.size());
    WriteBlocksAsync(
        *exchange_, saved.blocks, toWrite, [this, total](int done) { return Step(Stage::Writing, done, total); },
        [this, snapshot = *kept.value](WriteOutcome written) {
            JobOutcome outcome;
            outcome.snapshot = snapshot;
            outcome.written = written;
            switch (written.result) {
            case WriteOutcome::Result::Done: break;
            case WriteOutcome::Result::Stopped:
                outcome.end = cancelled_ ? JobOutcome::End::Cancelled : JobOutcome::End::PortLost;
                break;
            case WriteOutcome::Result::Refused:
            case WriteOutcome::Result::ReadBackDiffers: outcome.end = JobOutcome::End::Refused; break;
            case WriteOutcome::Result::NoAnswer:
                outcome.end = session_.IsPortOpen() ? JobOutcome::End::NoAnswer : JobOutcome::End::PortLost;
                break;
            }
            End(std::move(outcome));
        });
    return true;
}
