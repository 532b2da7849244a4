#pragma once
// The enrolment of a new RF sensor against a panel session, with no window:
// it owns the enrolment machine and its 500 ms timer, hands the machine the
// session's sensor reports and acknowledgements, and sends what the machine
// asks. The settings (kind, buttons, zone, user) are read from their owner
// at every call, as the window's controls are read while a process runs.
// What the machine asks to show is raised as Effects, for the enrolment
// window and the command-line tool to show each in its way.

#include <QObject>
#include <functional>

#include "core/rf/enrolment_machine.h"

class PanelSession;
class QTimer;

class EnrolmentDriver : public QObject {
    Q_OBJECT
public:
    struct Options {
        int tickMs = 500;
    };
    using SettingsSource = std::function<EnrolmentSettings()>;

    EnrolmentDriver(PanelSession& session, SettingsSource settings, Options options, QObject* parent = nullptr);
    ~EnrolmentDriver() override;

    // The window is shown: no process, state 0, the timer stopped.
    void Reset();
    // "Iniciar" / "Parar".
    void Start();
    void Stop();
    // The window closes: whatever ran is forgotten.
    void OnClosed() { machine_.OnClosed(); }
    bool CanClose() const { return machine_.CanClose(); }
    // One tick of the timer, public so tests drive it by hand.
    void Tick();

    const EnrolmentMachine& Machine() const { return machine_; }

signals:
    // Raised after the machine's commands went out and its timer was
    // started or stopped.
    void Effects(const EnrolmentEffects& effects);

private:
    void Apply(const EnrolmentEffects& effects);

    PanelSession& session_;
    SettingsSource settings_;
    EnrolmentMachine machine_;
    QTimer* timer_ = nullptr;
};
