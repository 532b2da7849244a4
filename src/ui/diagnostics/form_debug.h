#pragma once
// The diagnostic monitor window "Debug". Its status polling driver asks the
// panel four times a second, from start-up to exit, for the status page of
// the selected tab, and the window applies every decoded frame to its
// labels, shown or not. It also arms and disarms the panel and logs status
// frames to a file the user chooses. The rules live in core/diagnostics and
// the driver; this window maps them to controls.

#include <QDialog>
#include <cstdint>

#include "core/diagnostics/label_update.h"
#include "ui/common/secondary_window.h"
#include "ui/diagnostics/debug_tabs.h"

class Clock;
class Dialogs;
class PanelSession;
class QCheckBox;
class QLabel;
class StatusPollingDriver;

class TFormDebug : public SecondaryWindow {
    Q_OBJECT
public:
    // The clock gives the local time of the log's name and records.
    TFormDebug(PanelSession& session, Dialogs& dialogs, const Clock& clock, QWidget* parent = nullptr);
    ~TFormDebug() override;

    // Values kept from the header of the last status frame.
    std::uint32_t StatusSerial() const;
    std::uint8_t LastPageRequested() const;
    bool LogEnabled() const;
    const QString& LogFilePath() const;

public slots:
    // One 250 ms tick: the next status request of the selected tab.
    void TimerPollingTimer();

protected:
    void Opening() override;

private slots:
    void PageControlDebugChange();
    void ArmClick();
    void DisarmClick();
    void CheckBoxLogClick();

private:
    void Apply(const LabelUpdates& updates);
    void SendArmRequest(bool arm);
    void OnLogStopped(const QString& path, const QString& reason);

    PanelSession& session_;
    Dialogs& dialogs_;
    const Clock& clock_;
    DebugControls controls_;
    StatusPollingDriver* polling_;
    QCheckBox* checkBoxLog_;
    QLabel* logFileName_;
};
