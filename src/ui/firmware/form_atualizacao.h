#pragma once
// The firmware update window, shown modally from the main window: loads an
// image file, then runs the update against the panel's bootloader. The
// update driver (timers, frames, the machine, the image) does the work, as
// it does for the command-line tool; this window maps what it reports to
// its controls and boxes.

#include <QDialog>
#include <functional>
#include <cstdint>

#include "session/firmware_update_driver.h"
#include "ui/common/secondary_window.h"

class Dialogs;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class PanelSession;

class TFormAtualizacao : public SecondaryWindow {
    Q_OBJECT
public:
    TFormAtualizacao(PanelSession& session, Dialogs& dialogs, QWidget* parent = nullptr);
    ~TFormAtualizacao() override;

    // What runs when "Iniciar" starts an update with a valid image, before
    // the update (the panel library keeps what the panel holds here): start
    // is told to go on or not when done; cancel stops it (its answer is
    // then never asked for). The window is in its running state meanwhile.
    struct BeforeStart {
        std::function<void(std::function<void(bool go)> proceed)> start;
        std::function<void()> cancel;
    };
    void SetBeforeStart(BeforeStart hook) { beforeStart_ = std::move(hook); }

    std::uint8_t DeviceModel() const { return Machine().DeviceModel(); }
    std::uint8_t DeviceVersion() const { return Machine().DeviceVersion(); }
    bool IdentReceived() const { return Machine().IdentReceived(); }

    const UpdateMachine& Machine() const { return driver_->Machine(); }
    const FirmwareImage& Image() const { return driver_->Image(); }

public slots:
    // The one-second timer, public so tests drive it by hand.
    void TimerTimeoutTimer();

protected:
    void Opening() override;
    void closeEvent(QCloseEvent* event) override;
    // Escape and Sair come here too: the close rules hold for every way out.
    void reject() override;

private slots:
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
    BeforeStart beforeStart_;
    bool keeping_ = false;  // the before-start work runs
    // The running state's look, or the idle one.
    void ShowRunning(bool running);
};
