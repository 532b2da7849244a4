#include "session/enrolment_driver.h"

#include <QTimer>
#include <vector>

#include "session/panel_session.h"

EnrolmentDriver::EnrolmentDriver(PanelSession& session, SettingsSource settings, Options options, QObject* parent)
    : QObject(parent), session_(session), settings_(std::move(settings))
{
    // The timer keeps the window's name: tests find it by name.
    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("TimerProcesso"));
    timer_->setInterval(options.tickMs);
    connect(timer_, &QTimer::timeout, this, &EnrolmentDriver::Tick);

    // The panel's reports and acknowledgements only set the machine's
    // flags; every decision waits for the next tick.
    connect(&session_, &PanelSession::RfReportReceived, this,
            [this](const std::vector<std::uint8_t>& report) { machine_.OnRfCodeReport(report.data(), report.size()); });
    connect(&session_, &PanelSession::Acknowledged, this, [this] { machine_.OnAck(); });
    connect(&session_, &PanelSession::NegativelyAcknowledged, this, [this] { machine_.OnNack(); });
}

EnrolmentDriver::~EnrolmentDriver() = default;

void EnrolmentDriver::Reset()
{
    machine_.Reset();
    timer_->stop();
}

void EnrolmentDriver::Start() { Apply(machine_.Start(settings_())); }

void EnrolmentDriver::Stop() { Apply(machine_.Stop()); }

void EnrolmentDriver::Tick() { Apply(machine_.Tick(settings_())); }

void EnrolmentDriver::Apply(const EnrolmentEffects& effects)
{
    if (effects.started) timer_->start();
    if (effects.ended) timer_->stop();
    for (const Outgoing& command : effects.send) session_.Send(command);
    emit Effects(effects);
}
