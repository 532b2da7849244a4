#pragma once
// The serial port seam: opens a COM number at a speed, moves bytes, and
// raises port-open, port-close, data-available and failure events. It knows
// nothing of frames; the protocol lives in the link layer.

#include <QObject>
#include <QSerialPort>
#include <cstddef>
#include <cstdint>

class PortCatalogue;

class SerialLink : public QObject {
    Q_OBJECT
public:
    // Receive buffer of the port; the receive path reads it in smaller blocks.
    static constexpr qint64 kReceiveBufferSize = 32768;

    SerialLink(const PortCatalogue& catalogue, QObject* parent = nullptr);
    ~SerialLink() override;

    void SetBaud(qint32 baud) { baud_ = baud; }
    qint32 Baud() const { return baud_; }
    void SetComNumber(int number) { comNumber_ = number; }
    int ComNumber() const { return comNumber_; }

    // Opens the device behind the COM number; false when it cannot be opened.
    // PortOpened is raised before it returns true.
    bool Open();
    // Closes the port (raising PortClosed); false when closing failed.
    bool Close();
    bool IsOpen() const;

    // Queues the bytes for transmission in one block; false on failure.
    bool PutBlock(const std::uint8_t* bytes, std::size_t count);
    qint64 BytesWaiting() const;
    // Copies up to max waiting bytes; -1 on failure.
    qint64 GetBlock(std::uint8_t* buffer, qint64 max);

signals:
    void PortOpened();
    void PortClosed();
    void DataAvailable();
    // A read or write failure while open, including a device that vanished.
    // Raised once per failure burst: the owner closes the port in response.
    void Failed(bool writing);

private:
    void OnError(QSerialPort::SerialPortError error);

    const PortCatalogue& catalogue_;
    QSerialPort port_;
    qint32 baud_ = 115200;
    int comNumber_ = 0;
    bool opening_ = false;
};
