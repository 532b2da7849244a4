#pragma once
// The work that needs a panel and the library, in one place for the
// windows and the command-line tool: the panel read whole (identified, its
// blocks, its RF sensors), saved into the library, planned for a restore
// and restored with what it held kept first. A job runs on the event loop
// without nesting it, raises its progress, can be cancelled between two
// exchanges (a write already sent is answered first), and ends with one
// typed outcome. It holds the session's JobGate while it runs.

#include <QObject>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "core/config/panel_backup.h"
#include "core/config/restore_plan.h"
#include "library/panel_library.h"
#include "session/configuration_transfer.h"
#include "session/panel_exchange.h"

class Clock;
class JobGate;
class PanelSession;

struct JobOutcome {
    enum class End { Done, Cancelled, Refused, NoAnswer, StorageFailed, PortLost };
    enum class Refusal {
        None,
        PortClosed,      // no port open
        NotIdentified,   // nothing, or no supported model, answered
        OtherModel,      // the snapshot is of another model
        BlockLength,     // a block's length differs from the panel's (plan.refusal)
        NothingToWrite,  // the panel already holds the snapshot
    };
    End end = End::Done;
    Refusal refusal = Refusal::None;
    std::uint8_t block = 0;  // the block a read stopped at
    int slot = 0;            // the RF slot a read stopped at, when not 0
    std::optional<PanelBackup> backup;     // what was read
    std::optional<SnapshotInfo> snapshot;  // what was stored (saved, or kept before a change)
    QString storageError;                  // the library's reason, when it failed
    RestorePlan plan;                      // a restore's plan
    WriteOutcome written;                  // a restore's writes
};

class PanelJob : public QObject {
    Q_OBJECT
public:
    enum class Stage { Identifying, ReadingBlocks, ReadingRf, Storing, Writing };

    // options: how long each answer is awaited (the command line's own).
    PanelJob(PanelSession& session, const Clock& clock, QObject* parent = nullptr);
    PanelJob(PanelSession& session, const Clock& clock, PanelExchange::Options options, QObject* parent = nullptr);
    ~PanelJob() override;

    // Each starts the job: false, and nothing happens, while another job
    // holds the gate. Otherwise Finished comes once, on a later turn.
    // The panel's identity and blocks (and RF sensors).
    bool Read(bool withRf);
    // Read, then stored in the library with meta.
    bool Save(PanelLibrary& library, bool withRf, SnapshotMeta meta);
    // The panel read, checked against saved (its model, each block's
    // length) and the blocks that differ planned; backup holds the panel
    // (its identity alone when it is of another model: nothing more is read).
    bool PrepareRestore(const PanelBackup& saved);
    // The panel's current configuration kept in the library (unless library
    // is null: the installer chose to keep nothing), then the planned blocks
    // of saved written and read back.
    bool Restore(PanelLibrary* library, const PanelBackup& current, const PanelBackup& saved,
                 const std::vector<std::uint8_t>& toWrite, SnapshotMeta before);

    // Stops before the next exchange; Finished says Cancelled.
    void Cancel();
    bool Running() const { return running_; }

signals:
    void Progress(PanelJob::Stage stage, int done, int total);
    void Finished(const JobOutcome& outcome);

private:
    bool Begin();
    void End(JobOutcome outcome);
    // Reads the panel, then hands the backup on. A panel of another model
    // than requiredModel (when given) is refused once identified.
    void ReadPanel(bool withRf, std::optional<std::uint8_t> requiredModel, std::function<void(PanelBackup)> then);
    bool Step(Stage stage, int done, int total);
    JobOutcome::End ReadEnd(const ReadOutcome& read) const;

    PanelSession& session_;
    const Clock& clock_;
    QPointer<JobGate> gate_;  // the session's; gone with it
    PanelExchange::Options options_;
    std::unique_ptr<PanelExchange> exchange_;
    bool running_ = false;
    bool cancelled_ = false;
};
