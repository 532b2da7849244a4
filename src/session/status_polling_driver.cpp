#include "session/status_polling_driver.h"

#include <QDateTime>
#include <QTimer>

#include "session/clock.h"
#include "session/panel_session.h"

StatusPollingDriver::StatusPollingDriver(PanelSession& session, const Clock& clock, Options options, QObject* parent)
    : QObject(parent), session_(session), clock_(clock)
{
    // The timer keeps the window's name: tests find it by name.
    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("TimerPolling"));
    timer_->setInterval(options.tickMs);
    connect(timer_, &QTimer::timeout, this, &StatusPollingDriver::Tick);
    timer_->start();
    connect(&session_, &PanelSession::StatusPageReceived, this, &StatusPollingDriver::OnStatusPage);
}

StatusPollingDriver::~StatusPollingDriver() = default;

void StatusPollingDriver::Tick()
{
    if (const std::optional<Outgoing> request = polling_.Tick()) session_.Send(*request);
}

void StatusPollingDriver::OnStatusPage(const std::vector<std::uint8_t>& page)
{
    if (logEnabled_) {
        const std::int64_t now = clock_.Now().toMSecsSinceEpoch();
        if (logWriter_.Append(now, page.data(), page.size()) != DiagnosticLogWriter::Status::Ok) {
            logEnabled_ = false;
            emit LogStopped(logFilePath_, QString::fromStdString(logWriter_.SystemError()));
        }
    }
    const StatusFrameResult result = DecodeStatusFrame(page.data(), page.size());
    if (!result.header) return;
    lastHeader_ = result.header;
    emit PageDecoded(result.updates);
}

DiagnosticLogWriter::Status StatusPollingDriver::OpenLog(const std::string& path)
{
    const DiagnosticLogWriter::Status status = logWriter_.Open(path);
    if (status != DiagnosticLogWriter::Status::Ok) {
        logEnabled_ = false;
        return status;
    }
    polling_.Restart();
    logEnabled_ = true;
    logFilePath_ = QString::fromStdString(path);
    return status;
}

void StatusPollingDriver::CloseLog()
{
    polling_.Restart();
    logEnabled_ = false;
    logWriter_.Close();
}
