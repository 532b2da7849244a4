#pragma once
// One firmware update against a panel session, with no window: it loads the
// image, runs the update machine's two timers, hands it the session's packet
// requests, results, acknowledgements and identifications, and sends what
// the machine asks. What the machine asks to show is raised as Effects, for
// the firmware window and the command-line tool to show each in its way;
// both run this one driver.

#include <QObject>
#include <QString>
#include <cstdint>
#include <vector>

#include "core/firmware/image_file.h"
#include "core/firmware/update_machine.h"

class PanelSession;
class QTimer;
struct Identification;

class FirmwareUpdateDriver : public QObject {
    Q_OBJECT
public:
    struct Options {
        int machineTickMs = 50;  // the machine's timer, while a run is active
        int secondMs = 1000;     // the countdown timer, always running
        // While packets flow the panel drives the run and the machine waits
        // for it without end: a window's user cancels by hand. Without a
        // user, a run whose panel asks for no new packet and reports no
        // result for this long is cancelled; 0 waits for ever.
        int stallMs = 0;
    };

    FirmwareUpdateDriver(PanelSession& session, Options options, QObject* parent = nullptr);
    ~FirmwareUpdateDriver() override;

    // Reads the image file at path into the machine's image, closing the
    // file on every path; the report says what to show and what to say.
    ImageLoadReport LoadImage(const QString& path);
    // "Iniciar" / "Cancelar".
    void StartOrCancel();
    // The window may close (as the enrolment driver's: no run, or every packet sent).
    bool CanClose() const { return machine_.CanClose(); }
    // The window closed: the run, if any, is abandoned and the image forgotten.
    void OnClosed();

    // The two timers' ticks, public so tests drive them by hand.
    void MachineTick();
    void TimeoutTick();

    const UpdateMachine& Machine() const { return machine_; }
    const FirmwareImage& Image() const { return image_; }

signals:
    // Raised after the machine's command went out and its timer was started
    // or stopped, so a box shown from here never has the machine tick behind it.
    void Effects(const UpdateEffects& effects);
    // The panel stalled (see Options::stallMs); the cancel is under way.
    void Stalled();

private:
    void OnPacketRequest(const std::vector<std::uint8_t>& request);
    void OnUpdateResult(const std::vector<std::uint8_t>& result);
    void ReceiveIdentification(const Identification& identity);
    void Apply(const UpdateEffects& effects);
    // Restarts the stall watch whenever the run moves on.
    void WatchStall();
    void OnStall();

    PanelSession& session_;
    Options options_;
    FirmwareImage image_;
    UpdateMachine machine_{image_};
    QTimer* machineTimer_ = nullptr;
    QTimer* timerTimeout_ = nullptr;
    QTimer* stall_ = nullptr;
    // Where the run stood when the stall watch last restarted.
    UpdateState watchedState_ = UpdateState::StartBootloader;
    std::uint32_t watchedPacket_ = 0;
};
