#include "session/serial_link.h"

#include <QDeadlineTimer>

#include "ports/port_catalogue.h"

SerialLink::SerialLink(const PortCatalogue& catalogue, QObject* parent)
    : ByteLink(parent), catalogue_(catalogue)
{
    connect(&port_, &QSerialPort::readyRead, this, &SerialLink::DataAvailable);
    connect(&port_, &QSerialPort::errorOccurred, this, &SerialLink::OnError);
}

SerialLink::~SerialLink()
{
    // Destruction closes the device without raising events to a dying owner.
    port_.disconnect(this);
    if (port_.isOpen()) port_.close();
}

bool SerialLink::Open(int comNumber, qint32 baud)
{
    if (port_.isOpen()) return true;
    const auto path = catalogue_.DevicePath(comNumber);
    if (!path) return false;

    port_.setPortName(QString::fromStdString(*path));
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(QSerialPort::NoParity);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    port_.setReadBufferSize(kReceiveBufferSize);
    port_.clearError();

    opening_ = true;
    const bool opened = port_.open(QIODevice::ReadWrite) && port_.setBaudRate(baud);
    opening_ = false;
    if (!opened) {
        if (port_.isOpen()) port_.close();
        port_.clearError();
        return false;
    }
    emit Opened();
    return true;
}

bool SerialLink::Close()
{
    if (!port_.isOpen()) return true;
    port_.close();
    const bool closed = !port_.isOpen();
    port_.clearError();
    emit Closed();
    return closed;
}

bool SerialLink::IsOpen() const { return port_.isOpen(); }

bool SerialLink::Write(const std::uint8_t* bytes, std::size_t count)
{
    if (!port_.isOpen()) return false;
    const qint64 written = port_.write(reinterpret_cast<const char*>(bytes), static_cast<qint64>(count));
    return written == static_cast<qint64>(count);
}

void SerialLink::FlushWrites(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (port_.isOpen() && port_.bytesToWrite() > 0 && !deadline.hasExpired()) {
        if (!port_.waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) break;
    }
}

qint64 SerialLink::BytesWaiting() const { return port_.isOpen() ? port_.bytesAvailable() : 0; }

qint64 SerialLink::Read(std::uint8_t* buffer, qint64 max)
{
    if (!port_.isOpen()) return -1;
    return port_.read(reinterpret_cast<char*>(buffer), max);
}

void SerialLink::OnError(QSerialPort::SerialPortError error)
{
    // Any error on an open port is a failure: a vanished device may raise
    // nothing but a storm of read errors while the port still looks open.
    if (error == QSerialPort::NoError || opening_ || !port_.isOpen()) return;
    emit Failed(error == QSerialPort::WriteError);
}
