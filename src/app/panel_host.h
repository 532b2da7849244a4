#pragma once
// Runs a software panel behind a pseudo-terminal inside the tool's event
// loop: its bytes flow whenever the terminal is readable, and it ticks once
// a second. Used by the demo mode, the end-to-end tests and the benchmarks;
// it needs Qt Core alone. It registers
// no port: the caller pins DevicePath() to a number in its own catalogue.

#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>

#include "sim/pty_host.h"
#include "sim/virtual_panel.h"

class QSocketNotifier;
class QTimer;

class PanelHost : public QObject {
    Q_OBJECT
public:
    // Check Ok().
    explicit PanelHost(const VirtualPanel::Options& options, QObject* parent = nullptr);
    ~PanelHost() override;

    bool Ok() const { return host_ != nullptr; }
    const QString& Error() const { return error_; }

    VirtualPanel& Panel() { return panel_; }
    QString DevicePath() const;

    // A sensor with this 24-bit code transmits; true when the panel was
    // listening and its report is on the way.
    bool TriggerRfSensor(std::uint32_t code);

    // The device disappears, as an unplugged adapter does.
    void Vanish();

    // At the pace of the link speed, as a real panel (the demo); the tests
    // keep it fast, the default.
    void SetPaced(bool paced);

private:
    void Pump();
    void Tick();

    VirtualPanel panel_;
    std::unique_ptr<PtyHost> host_;
    QSocketNotifier* readable_ = nullptr;
    QTimer* flush_ = nullptr;
    QTimer* tick_ = nullptr;
    QString error_;
};
