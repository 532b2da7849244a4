#pragma once
// A panel's serial line across the network: rfc2217://host:port, a serial
// server that takes the line settings over Telnet (the baud rate chosen, 8
// data bits, no parity, 1 stop bit), or socket://host:port, raw bytes to a
// converter whose line is set up on the converter. Opening connects and, for
// a serial server, agrees the settings, each step bounded by a time-out of a
// few seconds: StartOpen does it on the event loop (the window stays
// responsive), Open waits for it on the socket alone (the command-line
// tool). A connection lost afterwards is a Failed, as an unplugged cable is.

#include <QByteArray>
#include <QDeadlineTimer>
#include <QTcpSocket>
#include <QTimer>
#include <memory>

#include "ports/network_address.h"
#include "session/byte_link.h"

class NetworkLink final : public ByteLink {
    Q_OBJECT
public:
    struct Timeouts {
        int connectMs = 3000;      // the connection, host name look-up aside
        int negotiationMs = 3000;  // a serial server's answers to the settings
    };

    explicit NetworkLink(QObject* parent = nullptr);
    ~NetworkLink() override;

    // Where the next Open connects to.
    void SetAddress(const NetworkAddress& address) { address_ = address; }
    void SetTimeouts(Timeouts timeouts) { timeouts_ = timeouts; }

    // ByteLink; the COM number only names the link to its owner.
    bool Open(int comNumber, qint32 baud) override;
    void StartOpen(int comNumber, qint32 baud) override;
    bool IsOpening() const override { return step_ != Step::Idle; }
    bool Close() override;
    bool IsOpen() const override { return open_; }
    bool Write(const std::uint8_t* bytes, std::size_t count) override;
    void FlushWrites(int timeoutMs) override;
    qint64 BytesWaiting() const override { return open_ ? readable_.size() : 0; }
    qint64 Read(std::uint8_t* buffer, qint64 max) override;
    std::optional<LinkOpenFailure> OpenFailure() const override { return failure_; }

private:
    // Where an open under way stands.
    enum class Step { Idle, Connecting, Negotiating };

    void OnStateChanged(QAbstractSocket::SocketState state);
    void OnConnected();
    // The server's answers so far: the open ends when they settle it.
    void CheckNegotiation();
    void OnStepExpired();
    // The open under way ends well: Opened.
    void FinishOpen();
    void TuneSocket();
    // Reads what the socket holds: line data to readable_, the Telnet
    // answers owed straight back. True when line data came.
    bool TakeIncoming();
    // Sends the acknowledgement of what was read at once, not delayed.
    void AcknowledgeNow();
    void OnReadyRead();
    void OnLost();
    // The open under way ends badly: OpenFailed.
    void FailOpen(LinkOpenFailure failure);
    void ArmStep(int timeoutMs);
    LinkOpenFailure Failure(LinkOpenFailure::Kind kind) const;

    QTcpSocket socket_;
    NetworkAddress address_;
    Timeouts timeouts_;
    std::unique_ptr<Rfc2217Client> telnet_;  // rfc2217:// only
    QByteArray readable_;
    std::optional<LinkOpenFailure> failure_;
    Step step_ = Step::Idle;
    qint32 baud_ = 0;
    // The step's time-out: the timer wakes the event loop, the deadline is
    // what Open checks between waits on the socket.
    QTimer stepTimer_;
    QDeadlineTimer stepDeadline_;
    bool open_ = false;
    bool failed_ = false;
};
