#pragma once
// A panel's serial line across the network: rfc2217://host:port, a serial
// server that takes the line settings over Telnet (the baud rate chosen, 8
// data bits, no parity, 1 stop bit), or socket://host:port, raw bytes to a
// converter whose line is set up on the converter. Opening connects and, for
// a serial server, agrees the settings before it returns, each step bounded
// by a time-out of a few seconds; a connection lost afterwards is a Failed,
// as an unplugged cable is.

#include <QByteArray>
#include <QTcpSocket>
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
    bool Close() override;
    bool IsOpen() const override { return open_; }
    bool Write(const std::uint8_t* bytes, std::size_t count) override;
    void FlushWrites(int timeoutMs) override;
    qint64 BytesWaiting() const override { return open_ ? readable_.size() : 0; }
    qint64 Read(std::uint8_t* buffer, qint64 max) override;
    std::optional<LinkOpenFailure> OpenFailure() const override { return failure_; }

private:
    bool Connect();
    bool Negotiate(qint32 baud);
    void TuneSocket();
    // Reads what the socket holds: line data to readable_, the Telnet
    // answers owed straight back. True when line data came.
    bool TakeIncoming();
    void OnReadyRead();
    void OnLost();
    bool FailOpen(LinkOpenFailure failure);
    LinkOpenFailure Failure(LinkOpenFailure::Kind kind) const;

    QTcpSocket socket_;
    NetworkAddress address_;
    Timeouts timeouts_;
    std::unique_ptr<Rfc2217Client> telnet_;  // rfc2217:// only
    QByteArray readable_;
    std::optional<LinkOpenFailure> failure_;
    bool open_ = false;
    bool opening_ = false;
    bool failed_ = false;
};
