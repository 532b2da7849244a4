#pragma once
// The panel of --port as the command-line tool reaches it: the port's name
// or address checked, the port opened at --speed, the panel identified,
// the session and its awaited exchange, the trace of --trace, and Ctrl-C.
// Every failure is told with what to do.

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

#include "core/panel/device_identity.h"

class CliLibraryAccess;
class CliOutput;
class FrameTraceFile;
class InterruptWatch;
class PanelExchange;
class PanelSession;
class QEventLoop;

class CliConnection {
public:
    // A panel identified is told to library as sighted.
    CliConnection(CliOutput& output, CliLibraryAccess& library);
    ~CliConnection();

    // Opens the trace file of --trace, when given; an exit code on failure.
    std::optional<int> OpenTrace();
    // Checks --speed and finds the port of --port; a usage error's exit code
    // when either is wrong. Connect() checks them first when this was not called.
    std::optional<int> CheckConnectionOptions();
    // Opens the port of --port at --speed and identifies the panel; an exit
    // code on failure.
    std::optional<int> Connect();
    // The session of --port, made on first use: a command may listen to it
    // before the port opens.
    PanelSession& Session();
    PanelExchange& Exchange();
    // While a long process runs in loop: the port failing or closing under
    // it closes the session, sets lost and ends the loop.
    void EndOnPortLoss(QEventLoop& loop, bool& lost);
    const Identification& Panel() const { return panel_; }
    // "No panel answered on PORT at SPEED bit/s", with what to check.
    int NoPanelAnswered();
    QString PortName() const;

    // From here on, the first Ctrl-C only sets Interrupted(): the command
    // ends its current exchange and stops cleanly. A second one quits.
    void CatchInterrupt();
    bool Interrupted();

private:
    std::optional<int> ResolvePort();
    std::optional<int> ResolveNetworkPort(const QString& given);
    int PortOpenFailure();
    int NetworkOpenFailure();

    CliOutput& output_;
    CliLibraryAccess& library_;
    bool optionsChecked_ = false;
    bool interrupted_ = false;
    std::unique_ptr<InterruptWatch> interrupt_;
    // In this order: the session traces until it goes, the exchange listens to it.
    std::unique_ptr<FrameTraceFile> trace_;
    std::unique_ptr<PanelSession> session_;
    std::unique_ptr<PanelExchange> exchange_;
    Identification panel_;
    qint32 speed_ = 115200;
    int number_ = 0;
    QString device_;
    bool byPath_ = false;   // the port was given as a device path or an address
    bool network_ = false;  // ... as an address
};
