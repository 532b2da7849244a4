#pragma once
// The firmware update window, shown modally from the main window: loads an
// image file, keeps what the panel holds in the library, then runs the
// update against the panel's bootloader. The keep-before-change job and the
// update driver (timers, frames, the machine, the image) do the work, as
// they do for the command-line tool; this window maps what they report to
// its controls and boxes.

#include <QDialog>
#include <functional>
#include <cstdint>

#include "library/panel_library.h"
#include "session/firmware_update_driver.h"
#include "ui/common/secondary_window.h"

class Clock;
class Dialogs;
class JobGate;
class KeepBeforeChange;
struct KeepOutcome;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class PanelSession;

class TFormAtualizacao : public SecondaryWindow {
    Q_OBJECT
public:
    TFormAtualizacao(PanelSession& session, Dialogs& dialogs, const Clock& clock, QWidget* parent = nullptr);
    ~TFormAtualizacao() override;

    // Where "Iniciar" keeps what the panel holds before an update: the
    // library (opened when first needed; null when there is none) and who
    // keeps it. Without it the update starts at once.
    struct Keeping {
        std::function<PanelLibrary*()> library;
        std::function<SnapshotMeta(SnapshotReason)> origin;
    };
    void SetKeeping(Keeping keeping) { keeping_ = std::move(keeping); }

    std::uint8_t DeviceModel() const { return Machine().DeviceModel(); }
    std::uint8_t DeviceVersion() const { return Machine().DeviceVersion(); }
    bool IdentReceived() const { return Machine().IdentReceived(); }

    const UpdateMachine& Machine() const { return driver_->Machine(); }
    const FirmwareImage& Image() const { return driver_->Image(); }

signals:
    // What the panel held was stored before an update.
    void PanelKept(const SnapshotInfo& snapshot);

protected:
    void Opening() override;
    void closeEvent(QCloseEvent* event) override;
    // Escape and Sair come here too: the close rules hold for every way out.
    void reject() override;

private slots:
    // The one-second timer's handler; tests tick the driver itself.
    void TimerTimeoutTimer();
    void OpenFileClick();
    void StartCancelClick();

private:
    void BuildLayout();
    void Apply(const UpdateEffects& effects);
    void ApplyLoad(const ImageLoadReport& report);
    void ClearImageInfo();
    // Closing forgets the image and resets every control.
    void FormClose();

    Dialogs& dialogs_;
    FirmwareUpdateDriver* driver_ = nullptr;

    QLineEdit* fileNameEdit_ = nullptr;
    QLabel* modelLabel_ = nullptr;
    QLabel* versionLabel_ = nullptr;
    QLabel* dateLabel_ = nullptr;
    QLabel* packetsLabel_ = nullptr;
    QLabel* statusLabel_ = nullptr;
    QLabel* rejectionLabel_ = nullptr;
    QLabel* progressLabel_ = nullptr;
    QProgressBar* gaugeProg_ = nullptr;
    QPushButton* openFileButton_ = nullptr;
    QPushButton* startCancelButton_ = nullptr;
    QPushButton* exitButton_ = nullptr;
    // "Iniciar" has an image to send (or a run to cancel), and no other
    // job holds the panel.
    void SetStartable(bool startable);
    void FollowStart();
    bool startable_ = false;
    JobGate& gate_;
    Keeping keeping_;
    KeepBeforeChange* keep_ = nullptr;
    void Kept(const KeepOutcome& outcome);
    // The running state's look, or the idle one.
    void ShowRunning(bool running);
};
