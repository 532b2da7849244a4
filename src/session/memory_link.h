#pragma once
// A byte link in memory: what the tool writes goes straight to a far end
// given as a callback, and what the far end says reaches the tool on a later
// turn of the event loop, one delivered piece per turn, as bytes from a port
// do. Tests and benchmarks attach a software panel here and talk to it
// without a pseudo-terminal, in milliseconds.

#include <QByteArray>
#include <deque>
#include <functional>
#include <vector>

#include "session/byte_link.h"

class MemoryLink final : public ByteLink {
    Q_OBJECT
public:
    // The far end is handed every block the tool writes, as it is written.
    using FarEnd = std::function<void(const std::uint8_t* bytes, std::size_t count)>;

    explicit MemoryLink(QObject* parent = nullptr);
    ~MemoryLink() override;

    void SetFarEnd(FarEnd farEnd) { farEnd_ = std::move(farEnd); }
    // The far end speaks: the piece becomes readable on a later turn of the
    // event loop, after every piece delivered before it. Dropped while closed.
    void Deliver(std::vector<std::uint8_t> piece);
    // While refused, opening fails, as a port held by another program does.
    void RefuseOpen(bool refuse) { refuseOpen_ = refuse; }
    // The far end fails as a vanished device does: Failed is raised, and
    // every read and write fails until the link is closed.
    void Fail(bool writing);
    // The COM number and speed of the last open.
    int ComNumber() const { return comNumber_; }
    qint32 Baud() const { return baud_; }

    // ByteLink
    bool Open(int comNumber, qint32 baud) override;
    bool Close() override;
    bool IsOpen() const override { return open_; }
    bool Write(const std::uint8_t* bytes, std::size_t count) override;
    // The far end has every byte as soon as it is written.
    void FlushWrites(int) override {}
    qint64 BytesWaiting() const override;
    qint64 Read(std::uint8_t* buffer, qint64 max) override;

private:
    void Release();

    FarEnd farEnd_;
    std::deque<std::vector<std::uint8_t>> pieces_;  // delivered, not yet readable
    QByteArray readable_;
    bool open_ = false;
    bool failed_ = false;
    bool refuseOpen_ = false;
    int comNumber_ = 0;
    qint32 baud_ = 0;
};
