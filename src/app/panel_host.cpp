#include "app/panel_host.h"

#include <QSocketNotifier>
#include <QTimer>

PanelHost::PanelHost(const VirtualPanel::Options& options, QObject* parent) : QObject(parent), panel_(options)
{
    std::string error;
    host_ = PtyHost::Open(panel_, {}, 0, &error);
    if (!host_) {
        error_ = QString::fromStdString(error);
        return;
    }
    readable_ = new QSocketNotifier(host_->MasterFd(), QSocketNotifier::Read, this);
    connect(readable_, &QSocketNotifier::activated, this, &PanelHost::Pump);

    // With piecewise delivery one piece leaves per pump; the rest follow
    // on later turns of the event loop, so the tool reads them apart.
    flush_ = new QTimer(this);
    flush_->setInterval(1);
    flush_->setTimerType(Qt::PreciseTimer);  // a paced answer leaves a few bytes a millisecond
    connect(flush_, &QTimer::timeout, this, &PanelHost::Pump);

    tick_ = new QTimer(this);
    tick_->setInterval(1000);
    connect(tick_, &QTimer::timeout, this, &PanelHost::Tick);
    tick_->start();
}

PanelHost::~PanelHost() = default;

QString PanelHost::DevicePath() const { return host_ ? QString::fromStdString(host_->DevicePath()) : QString(); }

void PanelHost::Pump()
{
    if (!host_ || host_->Vanished()) return;
    host_->Pump();
    if (host_->HasPendingOutput()) {
        if (!flush_->isActive()) flush_->start();
    } else {
        flush_->stop();
    }
}

void PanelHost::Tick()
{
    if (!host_ || host_->Vanished()) {
        panel_.Tick();  // the clock runs on with nobody listening
        return;
    }
    host_->Tick();
    Pump();
}

bool PanelHost::TriggerRfSensor(std::uint32_t code)
{
    if (!panel_.TriggerRfSensor(code)) return false;
    Pump();
    return true;
}

void PanelHost::SetPaced(bool paced)
{
    if (host_) host_->SetPaced(paced);
}

void PanelHost::Vanish()
{
    if (!host_) return;
    delete readable_;
    readable_ = nullptr;
    flush_->stop();
    host_->Vanish();
}
