#pragma once
// The library window "Biblioteca": the panels the tool has met, searched by
// serial, customer or address; the selected panel's customer fields and its
// snapshots; two snapshots compared field by field; a snapshot exported to
// a backup file, a backup file imported, a snapshot's report. It works
// without a panel connected.

#include <QDialog>
#include <memory>
#include <optional>
#include <vector>

#include "library/library_location.h"
#include "library/panel_library.h"

class Clock;
class Dialogs;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

class TFormBiblioteca : public QDialog {
    Q_OBJECT
public:
    TFormBiblioteca(Dialogs& dialogs, const Clock& clock, QWidget* parent = nullptr);
    ~TFormBiblioteca() override;

    // Opens the library there and shows its panels; an error box and an
    // empty list when it cannot be opened (nothing is written to it then).
    void UseLibrary(const LibraryLocation& location);
    PanelLibrary* Library() const { return library_.get(); }
    // The panel selected in the list, if any.
    std::optional<quint32> SelectedSerial() const;
    void SelectPanel(quint32 serial);

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

private:
    void BuildLayout();
    void FillPanels();
    void FillHistory();
    // The snapshots selected in the history, oldest first.
    std::vector<SnapshotInfo> SelectedSnapshots() const;
    void ShowDifferences(const PanelBackup& before, const PanelBackup& after);

    Dialogs& dialogs_;
    const Clock& clock_;
    std::unique_ptr<PanelLibrary> library_;
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
};
