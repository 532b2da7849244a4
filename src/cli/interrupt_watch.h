#pragma once
// Ctrl-C while a firmware update runs: the first press asks for the end the
// window's "Cancelar" gives (the panel is told, not dropped mid-packet); a
// second press ends the program at once, as Ctrl-C always does. The signal
// only writes a byte to a pipe; the event loop reads it and calls back, so
// nothing of the update runs inside the signal handler.

#include <QObject>
#include <functional>

class QSocketNotifier;

class InterruptWatch : public QObject {
    Q_OBJECT
public:
    // Watches for SIGINT until destroyed; one watch at a time. Where the
    // system has no such signal (Windows) it watches nothing.
    explicit InterruptWatch(std::function<void()> onInterrupt, QObject* parent = nullptr);
    ~InterruptWatch() override;
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    // Calls back now for a press the event loop has not yet handed over, so a
    // command that checks between steps never misses one.
    void Poll() { Drain(); }

private:
    void Drain();

    std::function<void()> onInterrupt_;
    QSocketNotifier* notifier_ = nullptr;
    bool installed_ = false;
};
