#pragma once
// The diagnostic monitor window "Debug". From start-up to exit it asks the
// panel four times a second for the status page of the selected tab, and
// applies every status frame to its labels, shown or not. It also arms and
// disarms the panel and logs status frames to a file the user chooses.
// The rules live in core/diagnostics; this window maps them to controls.

#include <QDialog>
#include <cstdint>
#include <vector>

#include "core/diagnostics/diagnostic_log.h"
#include "core/diagnostics/label_update.h"
#include "ui/diagnostics/debug_tabs.h"

class Clock;
class Dialogs;
class PanelSession;
class QCheckBox;
class QLabel;
class QTimer;

class TFormDebug : public QDialog {
    Q_OBJECT
public:
    // The clock gives the local time of the log's name and records.
    TFormDebug(PanelSession& session, Dialogs& dialogs, const Clock& clock, QWidget* parent = nullptr);
    ~TFormDebug() override;

    // Values kept from the header of the last status frame.
    std::uint8_t StatusModel() const { return statusModel_; }
    std::uint8_t StatusVersion() const { return statusVersion_; }
    std::uint32_t StatusSerial() const { return statusSerial_; }
    std::uint32_t StatusTimestamp() const { return statusTimestamp_; }
    std::uint8_t LastPageRequested() const { return lastPageRequested_; }
    bool LogEnabled() const { return logEnabled_; }
    const QString& LogFilePath() const { return logFilePath_; }

public slots:
    // One 250 ms tick: the next status request of the selected tab.
    void TimerPollingTimer();

protected:
    void showEvent(QShowEvent* event) override;

private slots:
    void PageControlDebugChange();
    void Button1Click();
    void Button2Click();
    void CheckBoxLogClick();

private:
    void OnStatusFrame(const std::vector<std::uint8_t>& page);

    void Apply(const LabelUpdates& updates);
    void SendArmRequest(bool arm);
    void LogFrame(const std::uint8_t* payload, std::size_t length);
    void StopLogging(const QString& message);

    PanelSession& session_;
    Dialogs& dialogs_;
    const Clock& clock_;
    DebugControls controls_;
    QTimer* timerPolling_;
    QCheckBox* checkBoxLog_;
    QLabel* nomeArq_;

    std::uint8_t lastPageRequested_ = 0;
    std::uint8_t statusModel_ = 0;
    std::uint8_t statusVersion_ = 0;
    std::uint32_t statusSerial_ = 0;
    std::uint32_t statusTimestamp_ = 0;

    bool logEnabled_ = false;
    QString logFilePath_;
    DiagnosticLogWriter logWriter_;
};
