#include "session/firmware_update_driver.h"

#include <QTimer>
#include <memory>

#include "session/panel_session.h"

FirmwareUpdateDriver::FirmwareUpdateDriver(PanelSession& session, Options options, QObject* parent)
    : QObject(parent), session_(session), options_(options)
{
    // The timers keep the window's names: tests find them by name.
    machineTimer_ = new QTimer(this);
    machineTimer_->setObjectName(QStringLiteral("TimerMaquina"));
    machineTimer_->setInterval(options_.machineTickMs);
    connect(machineTimer_, &QTimer::timeout, this, &FirmwareUpdateDriver::MachineTick);

    // Counts time-outs from start to exit, whether or not a run is active.
    timerTimeout_ = new QTimer(this);
    timerTimeout_->setObjectName(QStringLiteral("TimerTimeout"));
    timerTimeout_->setInterval(options_.secondMs);
    connect(timerTimeout_, &QTimer::timeout, this, &FirmwareUpdateDriver::TimeoutTick);
    timerTimeout_->start();

    stall_ = new QTimer(this);
    stall_->setSingleShot(true);
    stall_->setInterval(options_.stallMs);
    connect(stall_, &QTimer::timeout, this, &FirmwareUpdateDriver::OnStall);

    connect(&session_, &PanelSession::Identified, this, &FirmwareUpdateDriver::ReceiveIdentification);
    connect(&session_, &PanelSession::PacketRequested, this, &FirmwareUpdateDriver::OnPacketRequest);
    connect(&session_, &PanelSession::UpdateResultReceived, this, &FirmwareUpdateDriver::OnUpdateResult);
    connect(&session_, &PanelSession::Acknowledged, this, [this] { Apply(machine_.OnAck()); });
    connect(&session_, &PanelSession::NegativelyAcknowledged, this, [this] { Apply(machine_.OnNack()); });
}

FirmwareUpdateDriver::~FirmwareUpdateDriver() = default;

ImageLoadReport FirmwareUpdateDriver::LoadImage(const QString& path)
{
    // The source closes the file when it goes, on every path of the load.
    // The core takes file names in UTF-8.
    const std::unique_ptr<FileByteSource> file = FileByteSource::Open(path.toStdString());
    return image_.Load(file.get(), path.toStdString());
}

void FirmwareUpdateDriver::StartOrCancel() { Apply(machine_.OnStartCancelClick(session_.IsPortOpen())); }

void FirmwareUpdateDriver::OnClosed()
{
    machineTimer_->stop();
    stall_->stop();
    machine_.OnClosed();
    image_.Close();
}

void FirmwareUpdateDriver::MachineTick() { Apply(machine_.Tick()); }

void FirmwareUpdateDriver::TimeoutTick() { machine_.TimeoutTick(); }

void FirmwareUpdateDriver::ReceiveIdentification(const Identification& identity)
{
    machine_.OnIdentification(identity.model, identity.version);
}

void FirmwareUpdateDriver::OnPacketRequest(const std::vector<std::uint8_t>& request)
{
    Apply(machine_.OnPacketRequest(request.data(), request.size()));
}

void FirmwareUpdateDriver::OnUpdateResult(const std::vector<std::uint8_t>& result)
{
    Apply(machine_.OnUpdateResult(result.data(), result.size()));
}

void FirmwareUpdateDriver::Apply(const UpdateEffects& fx)
{
    if (fx.started) machineTimer_->start();
    if (fx.stopped) machineTimer_->stop();
    if (fx.send) session_.Send(*fx.send);
    WatchStall();
    emit Effects(fx);
}

void FirmwareUpdateDriver::WatchStall()
{
    if (options_.stallMs <= 0) return;
    const UpdateState state = machine_.State();
    const bool panelDriven =
        machine_.UpdateRunning() && (state == UpdateState::SendingPackets || state == UpdateState::PacketsDone);
    if (!panelDriven) {
        stall_->stop();
        return;
    }
    if (!stall_->isActive() || machine_.State() != watchedState_ || machine_.CurrentPacket() != watchedPacket_) {
        watchedState_ = machine_.State();
        watchedPacket_ = machine_.CurrentPacket();
        stall_->start();
    }
}

void FirmwareUpdateDriver::OnStall()
{
    if (!machine_.UpdateRunning()) return;
    emit Stalled();
    StartOrCancel();
}
