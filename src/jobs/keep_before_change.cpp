#include "jobs/keep_before_change.h"

#include <QTimer>
#include <utility>

#include "session/panel_session.h"

AfterKeep NextStep(const KeepOutcome& outcome)
{
    switch (outcome.end) {
    case KeepOutcome::End::Stored: return AfterKeep::GoOn;
    case KeepOutcome::End::Cancelled: return AfterKeep::Stop;
    case KeepOutcome::End::NotStored: break;
    }
    // With no port the change itself refuses, and says why.
    return outcome.why == KeepOutcome::Why::PortClosed ? AfterKeep::GoOn : AfterKeep::Ask;
}

KeepBeforeChange::KeepBeforeChange(PanelSession& session, const Clock& clock, QObject* parent)
    : QObject(parent), session_(session), job_(new PanelJob(session, clock, this))
{
    connect(job_, &PanelJob::Progress, this, &KeepBeforeChange::Progress);
    connect(job_, &PanelJob::Finished, this, &KeepBeforeChange::Saved);
}

bool KeepBeforeChange::Start(const std::function<PanelLibrary*()>& openLibrary, SnapshotMeta meta)
{
    if (running_) return true;
    if (!session_.IsPortOpen()) return false;
    running_ = true;
    PanelLibrary* library = openLibrary ? openLibrary() : nullptr;
    if (!library) EndNow(KeepOutcome::Why::NoLibrary);
    else if (!job_->Save(*library, false, std::move(meta))) EndNow(KeepOutcome::Why::Busy);
    return true;
}

void KeepBeforeChange::Cancel()
{
    if (!running_) return;
    // Ended but not yet told counts too: whoever cancels goes no further.
    cancelled_ = true;
    job_->Cancel();
}

void KeepBeforeChange::EndNow(KeepOutcome::Why why)
{
    QTimer::singleShot(0, this, [this, why] {
        KeepOutcome outcome;
        outcome.why = why;
        Tell(std::move(outcome));
    });
}

void KeepBeforeChange::Tell(KeepOutcome outcome)
{
    running_ = false;
    if (std::exchange(cancelled_, false)) outcome = KeepOutcome{KeepOutcome::End::Cancelled, {}, std::move(outcome.job)};
    emit Finished(outcome);
}

void KeepBeforeChange::Saved(const JobOutcome& job)
{
    KeepOutcome outcome;
    outcome.job = job;
    switch (job.end) {
    case JobOutcome::End::Done: outcome.end = KeepOutcome::End::Stored; break;
    case JobOutcome::End::Cancelled: outcome.end = KeepOutcome::End::Cancelled; break;
    case JobOutcome::End::StorageFailed: outcome.why = KeepOutcome::Why::StorageFailed; break;
    case JobOutcome::End::Refused:
        outcome.why = job.refusal == JobOutcome::Refusal::PortClosed ? KeepOutcome::Why::PortClosed
                                                                     : KeepOutcome::Why::ReadFailed;
        break;
    case JobOutcome::End::NoAnswer:
    case JobOutcome::End::PortLost: outcome.why = KeepOutcome::Why::ReadFailed; break;
    }
    Tell(std::move(outcome));
}
