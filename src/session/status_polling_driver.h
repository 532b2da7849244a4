#pragma once
// The polling of status pages against a panel session, with no window: four
// times a second it asks for the next page of the selected tab (from its
// creation to its end, whether anyone looks or not), decodes every status
// frame the session receives into label updates, and appends each frame to
// the diagnostic log while one is open. The diagnostic window and the
// command-line tool both run it; each shows the updates in its way.

#include <QObject>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/diagnostics/diagnostic_log.h"
#include "core/diagnostics/label_update.h"
#include "core/diagnostics/status_pages.h"
#include "core/diagnostics/status_polling.h"

class Clock;
class PanelSession;
class QTimer;

class StatusPollingDriver : public QObject {
    Q_OBJECT
public:
    struct Options {
        int tickMs = 250;
    };

    // The clock stamps the log's records.
    StatusPollingDriver(PanelSession& session, const Clock& clock, Options options, QObject* parent = nullptr);
    ~StatusPollingDriver() override;

    // The window's tab changed: its cycle starts over.
    void SelectTab(int tabIndex) { polling_.SelectTab(tabIndex); }
    // One tick of the timer, public so tests drive it by hand.
    void Tick();
    std::uint8_t LastPageRequested() const { return polling_.LastPageRequested(); }
    // The header of the last status frame that had one (its serial names the log).
    const std::optional<StatusHeader>& LastHeader() const { return lastHeader_; }

    // Opens (or appends to) the log at path; from then on every status frame
    // is appended, and the tab's cycle starts over. On failure logging is
    // off and LogError() says why in the system's words.
    DiagnosticLogWriter::Status OpenLog(const std::string& path);
    // Logging off, the file closed; the tab's cycle starts over.
    void CloseLog();
    bool LogEnabled() const { return logEnabled_; }
    const QString& LogFilePath() const { return logFilePath_; }
    std::string LogError() const { return logWriter_.SystemError(); }

signals:
    // A status frame with a header, as label updates: empty for a page code
    // not shown or a length that does not suit its page.
    void PageDecoded(const LabelUpdates& updates);
    // A record could not be appended: logging stopped, the file keeps what
    // was written. reason is the system's.
    void LogStopped(const QString& path, const QString& reason);

private:
    void OnStatusPage(const std::vector<std::uint8_t>& page);

    PanelSession& session_;
    const Clock& clock_;
    StatusPolling polling_;
    QTimer* timer_ = nullptr;
    std::optional<StatusHeader> lastHeader_;
    bool logEnabled_ = false;
    QString logFilePath_;
    DiagnosticLogWriter logWriter_;
};
