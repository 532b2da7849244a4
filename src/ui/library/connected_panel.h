#pragma once
// The panel on the port, as the library window reads and writes it: its
// whole configuration read into a backup, or chosen blocks written and read
// back, one awaited request at a time with the progress bar stepped. Every
// failure is told in a box that says what was and was not done.

#include <cstdint>
#include <optional>
#include <vector>

#include "core/config/restore_plan.h"
#include "library/backup_file.h"
#include "session/configuration_transfer.h"

class Clock;
class Dialogs;
class PanelSession;
class QProgressBar;
class QWidget;

class ConnectedPanel {
public:
    ConnectedPanel(PanelSession& session, Dialogs& dialogs, const Clock& clock, QWidget& owner, QProgressBar& progress);

    // The panel's identity and blocks (and RF sensors), or nothing with the
    // reason shown.
    std::optional<PanelBackup> Read(bool withRf);
    // Writes ids of saved and reads each back; stops at the first failure.
    WriteOutcome Write(const BlockMap& saved, const std::vector<std::uint8_t>& ids);
    // The outcome of Write in a box: the blocks written and not written.
    void TellWritten(const WriteOutcome& outcome);

private:
    // Steps the bar; false once the port has closed, to stop the transfer.
    bool Step(int done, int total);

    PanelSession& session_;
    Dialogs& dialogs_;
    const Clock& clock_;
    QWidget& owner_;
    QProgressBar& progress_;
};
