#pragma once
// What the panel holds, kept in the library before something changes it
// (its firmware): the panel read and stored as a snapshot, as one job for
// the window and the command-line tool. Its outcome is typed, and the
// policy beside it says what a front-end does next: go on when it was
// stored; when it was not, ask the installer (the window asks, the
// command-line tool took its answer from its options); nothing after a
// cancel.

#include <QObject>
#include <functional>

#include "jobs/panel_job.h"

class Clock;
class PanelLibrary;
class PanelSession;

struct KeepOutcome {
    enum class End { Stored, NotStored, Cancelled };
    enum class Why {
        None,
        PortClosed,     // the port closed before the panel was read
        NoLibrary,      // none open, or none wanted
        Busy,           // another job holds the panel
        ReadFailed,     // the panel did not give its configuration (where: job)
        StorageFailed,  // the library did not store it (why: job.storageError)
    };
    End end = End::NotStored;
    Why why = Why::None;
    JobOutcome job;  // the save: the snapshot stored, or where and why it stopped
};

enum class AfterKeep { GoOn, Ask, Stop };
AfterKeep NextStep(const KeepOutcome& outcome);

class KeepBeforeChange : public QObject {
    Q_OBJECT
public:
    KeepBeforeChange(PanelSession& session, const Clock& clock, QObject* parent = nullptr);

    // Keeps the panel's configuration (without its RF sensors) in the
    // library with meta. The library is asked for only when there is a
    // panel to keep (opening one may take time or say why it failed); null
    // when there is none. False, and nothing happens, with no port open:
    // there is nothing to keep, and the change itself refuses at once.
    // Otherwise Finished comes once, on a later turn, whatever happens:
    // also with no library or another job holding the panel. Nothing while
    // it runs.
    bool Start(const std::function<PanelLibrary*()>& library, SnapshotMeta meta);
    // Stops before the next exchange; Finished says Cancelled.
    void Cancel();
    bool Running() const { return running_; }
    // Cancelled, its last exchange still under way.
    bool Cancelling() const { return running_ && cancelled_; }

signals:
    void Progress(PanelJob::Stage stage, int done, int total);
    void Finished(const KeepOutcome& outcome);

private:
    void Saved(const JobOutcome& job);
    void EndNow(KeepOutcome::Why why);
    void Tell(KeepOutcome outcome);

    PanelSession& session_;
    PanelJob* job_ = nullptr;
    bool running_ = false;
    bool cancelled_ = false;
};
