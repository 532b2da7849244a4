#pragma once
// The one owner of "a job talks to the panel": while it is held no other
// exchange starts. Every window on the session observes BusyChanged and
// disables what would talk to the panel; a job refuses to start while
// another holds it.

#include <QObject>

class PanelSession;

class JobGate : public QObject {
    Q_OBJECT
public:
    // The session's one gate, made on first use and owned by the session.
    static JobGate& Of(PanelSession& session);

    bool Busy() const { return busy_; }
    // False, and nothing changes, while another job holds it.
    bool TryEnter();
    void Leave();

signals:
    void BusyChanged(bool busy);

private:
    explicit JobGate(QObject* parent) : QObject(parent) {}
    bool busy_ = false;
};
