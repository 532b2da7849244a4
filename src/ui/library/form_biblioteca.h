#pragma once
// The library window "Biblioteca": the panels the tool has met, searched by
// serial, customer or address; the selected panel's customer fields and its
// snapshots; two snapshots compared field by field; a snapshot exported to
// a backup file, a backup file imported, a snapshot's report; all of it
// without a panel connected. With one: its whole configuration saved as a
// snapshot, compared with a snapshot, or a snapshot restored to it (the
// plan shown first, what it held kept before anything is written).

#include <QDialog>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "jobs/panel_job.h"
#include "library/library_location.h"
#include "library/panel_library.h"

class Clock;
class Dialogs;
class PanelSession;
class QCheckBox;
class QLabel;
class QProgressBar;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
class SeenRecorder;

class TFormBiblioteca : public QDialog {
    Q_OBJECT
public:
    TFormBiblioteca(PanelSession& session, Dialogs& dialogs, const Clock& clock, QWidget* parent = nullptr);
    ~TFormBiblioteca() override;

    // Opens the library there and shows its panels; an error box (unless
    // quiet) and an empty list when it cannot be opened (nothing is written
    // to it then).
    void UseLibrary(const LibraryLocation& location, bool quiet = false);
    PanelLibrary* Library() const { return library_.get(); }
    // The panel selected in the list, if any.
    std::optional<quint32> SelectedSerial() const;
    void SelectPanel(quint32 serial);
    // A snapshot of that panel stored (here or by another window): the
    // whole list shown again, the panel selected.
    void ShowStored(quint32 serial);

    // Who keeps a snapshot, why, with what note and tool version.
    SnapshotMeta Origin(SnapshotReason reason, const QString& note) const;
    // Stops the running job between two exchanges.
    void CancelJob();
    bool JobRunning() const { return job_->Running(); }
    // A panel identified on the port: recorded as seen, when a library is open.
    void RecordSeen(const Identification& panel);
signals:
    // Another library was chosen: the tool remembers it for the next run.
    void LibraryChosen(const QString& location);

private slots:
    void SearchChanged();
    void PanelSelected();
    void SaveCustomerClick();
    void UseLocationClick();
    void CompareClick();
    void ExportClick();
    void ImportClick();
    void ReportClick();
    void SavePanelClick();
    void ComparePanelClick();
    void RestoreClick();
    void JobProgress(PanelJob::Stage stage, int done, int total);
    void JobFinished(const JobOutcome& outcome);

private:
    void BuildLayout();
    void FillPanels();
    void FillHistory();
    // The snapshots selected in the history, oldest first.
    std::vector<SnapshotInfo> SelectedSnapshots() const;
    // The one snapshot selected, read from the library; nothing, with a box
    // (selectFirst when not exactly one is selected), otherwise.
    struct ChosenSnapshot {
        SnapshotInfo info;
        PanelBackup backup;
    };
    std::optional<ChosenSnapshot> ChooseSnapshot(const QString& selectFirst);
    void ShowDifferences(const PanelBackup& before, const PanelBackup& after);
    // The job's outcome, for each thing the window asked of it.
    void Saved(const JobOutcome& outcome);
    void ComparedWithPanel(const JobOutcome& outcome);
    void RestorePlanned(const JobOutcome& outcome);
    void Restored(const JobOutcome& outcome);
    // A read that did not end with the panel's configuration, in a box.
    void TellReadFailed(const JobOutcome& outcome, const QString& nothingKept);
    // Buttons that talk to the panel follow the session's job gate.
    void ShowBusy(bool busy);
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

    PanelSession& session_;
    Dialogs& dialogs_;
    const Clock& clock_;
    std::unique_ptr<PanelLibrary> library_;
    std::unique_ptr<SeenRecorder> seen_;  // of library_, gone before it
    PanelJob* job_ = nullptr;
    enum class Asked { Nothing, Save, Compare, Prepare, Restore };
    Asked asked_ = Asked::Nothing;
    std::optional<ChosenSnapshot> jobSnapshot_;  // compared or restored
    std::vector<PanelRecord> panels_;
    std::vector<SnapshotInfo> history_;

    QLineEdit* locationEdit_ = nullptr;
    QLabel* locationLabel_ = nullptr;
    QLineEdit* searchEdit_ = nullptr;
    QTableWidget* panelGrid_ = nullptr;
    QLineEdit* customerEdit_ = nullptr;
    QLineEdit* addressEdit_ = nullptr;
    QPlainTextEdit* notesEdit_ = nullptr;
    QPushButton* saveCustomerButton_ = nullptr;
    QTableWidget* snapshotGrid_ = nullptr;
    QTableWidget* differenceGrid_ = nullptr;
    QPushButton* compareButton_ = nullptr;
    QPushButton* exportButton_ = nullptr;
    QPushButton* reportButton_ = nullptr;
    QLineEdit* installerEdit_ = nullptr;
    QLineEdit* noteEdit_ = nullptr;
    QCheckBox* rfCheck_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* jobLabel_ = nullptr;
    QPushButton* cancelJobButton_ = nullptr;
    std::vector<QPushButton*> panelButtons_;  // those that talk to the panel
};
