#pragma once
// The byte link seam: opens, moves bytes, and raises opened, closed,
// data-available and failure events. It knows nothing of frames; the
// protocol lives above it. A serial port is one link, a serial line across
// the network another, a link in memory (a software panel at its far end,
// for tests) a third.

#include <QObject>
#include <QtGlobal>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "session/link_open_failure.h"

class ByteLink : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~ByteLink() override = default;

    // Opens the link of COM number comNumber at baud bit/s; false when it
    // cannot be opened. Opened is raised before it returns true.
    virtual bool Open(int comNumber, qint32 baud) = 0;
    // Starts opening it and returns: Opened or OpenFailed follows. A link
    // whose open is instant (a serial port, memory) raises it before it
    // returns; a network link once connected and set up, with nothing
    // waited for meanwhile.
    virtual void StartOpen(int comNumber, qint32 baud)
    {
        if (!Open(comNumber, baud)) emit OpenFailed();
    }
    // Opening was started and has not ended yet.
    virtual bool IsOpening() const { return false; }
    // Closes the link (raising Closed); false when closing failed. An open
    // under way is given up without a word.
    virtual bool Close() = 0;
    virtual bool IsOpen() const = 0;

    // Queues the bytes for transmission in one block; false on failure.
    virtual bool Write(const std::uint8_t* bytes, std::size_t count) = 0;
    // Waits, at most timeoutMs, until every byte queued has left: a closing
    // link may drop what it still holds.
    virtual void FlushWrites(int timeoutMs) = 0;
    virtual qint64 BytesWaiting() const = 0;
    // Copies up to max waiting bytes; -1 on failure.
    virtual qint64 Read(std::uint8_t* buffer, qint64 max) = 0;
    // Why the last Open failed, when the link knows more than the caller can
    // find out for itself (a network link does; a serial port does not).
    virtual std::optional<LinkOpenFailure> OpenFailure() const { return std::nullopt; }

signals:
    void Opened();
    // A StartOpen ended without the link open (OpenFailure says why).
    void OpenFailed();
    void Closed();
    void DataAvailable();
    // A read or write failure while open, including a device that vanished.
    // Raised once per failure burst: the owner closes the link in response.
    void Failed(bool writing);
    // A line for the trace about the link itself, not a frame: what a
    // serial server agreed to, or left unanswered.
    void Note(const QString& text);
};
