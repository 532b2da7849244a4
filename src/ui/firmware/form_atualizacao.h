#pragma once
// The firmware update window, shown modally from the main window: loads an
// image file, then runs the update against the panel's bootloader. The
// image reader and the update machine do the work; this window maps their
// results to its controls, its two timers to the machine's ticks, and the
// frames the dispatcher hands over to the machine's events.

#include <QDialog>
#include <cstdint>

#include "core/firmware/image_file.h"
#include "core/firmware/update_machine.h"
#include "core/link/frame_dispatcher.h"

class Dialogs;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;
class PanelSession;
struct Identification;

class TFormAtualizacao : public QDialog, private FirmwareUpdateReceiver {
    Q_OBJECT
public:
    TFormAtualizacao(PanelSession& session, Dialogs& dialogs, QWidget* parent = nullptr);
    ~TFormAtualizacao() override;

    std::uint8_t DeviceModel() const { return machine_.DeviceModel(); }
    std::uint8_t DeviceVersion() const { return machine_.DeviceVersion(); }
    bool IdentReceived() const { return machine_.IdentReceived(); }

    const UpdateMachine& Machine() const { return machine_; }
    const FirmwareImage& Image() const { return image_; }

public slots:
    // The two timers, public so tests drive them by hand.
    void TimerMaquinaTimer();
    void TimerTimeoutTimer();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Escape and Sair come here too: the close rules hold for every way out.
    void reject() override;

private slots:
    void Button4Click();
    void Button3Click();

private:
    // FirmwareUpdateReceiver
    void OnPacketRequest(const std::uint8_t* payload, std::uint8_t length) override;
    void OnUpdateResult(const std::uint8_t* payload, std::uint8_t length) override;
    void OnUpdateAck() override;
    void OnUpdateNack() override;

    // Every identification frame lands here, whether or not an update runs:
    // the update compares the device's model with the image's.
    void ReceiveIdentification(const Identification& identity);

    void BuildLayout();
    void Apply(const UpdateEffects& effects);
    void ApplyLoad(const ImageLoadReport& report);
    void ClearImageInfo();
    // Closing forgets the image and resets every control.
    void FormClose();

    PanelSession& session_;
    Dialogs& dialogs_;
    FirmwareImage image_;
    UpdateMachine machine_{image_};

    QLineEdit* edit1_ = nullptr;
    QLabel* label6_ = nullptr;
    QLabel* label7_ = nullptr;
    QLabel* label10_ = nullptr;
    QLabel* label11_ = nullptr;
    QLabel* label3_ = nullptr;
    QLabel* label9_ = nullptr;
    QLabel* label8_ = nullptr;
    QProgressBar* gaugeProg_ = nullptr;
    QPushButton* button4_ = nullptr;
    QPushButton* button3_ = nullptr;
    QPushButton* button1_ = nullptr;
    QTimer* timerMaquina_ = nullptr;
    QTimer* timerTimeout_ = nullptr;
};
