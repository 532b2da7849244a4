#pragma once
// The serial port behind a COM number: the byte link to a panel on a cable.

#include <QSerialPort>

#include "session/byte_link.h"

class PortCatalogue;

class SerialLink final : public ByteLink {
    Q_OBJECT
public:
    // Receive buffer of the port; the receive path reads it in smaller blocks.
    static constexpr qint64 kReceiveBufferSize = 32768;

    explicit SerialLink(const PortCatalogue& catalogue, QObject* parent = nullptr);
    ~SerialLink() override;

    // ByteLink
    bool Open(int comNumber, qint32 baud) override;
    bool Close() override;
    bool IsOpen() const override;
    bool Write(const std::uint8_t* bytes, std::size_t count) override;
    void FlushWrites(int timeoutMs) override;
    qint64 BytesWaiting() const override;
    qint64 Read(std::uint8_t* buffer, qint64 max) override;

private:
    void OnError(QSerialPort::SerialPortError error);

    const PortCatalogue& catalogue_;
    QSerialPort port_;
    bool opening_ = false;
};
