#include "session/memory_link.h"

#include <QMetaObject>
#include <algorithm>

MemoryLink::MemoryLink(QObject* parent) : ByteLink(parent) {}

MemoryLink::~MemoryLink() = default;

bool MemoryLink::Open(int comNumber, qint32 baud)
{
    if (open_) return true;
    if (refuseOpen_) return false;
    comNumber_ = comNumber;
    baud_ = baud;
    open_ = true;
    failed_ = false;
    emit Opened();
    return true;
}

bool MemoryLink::Close()
{
    if (!open_) return true;
    open_ = false;
    failed_ = false;
    pieces_.clear();
    readable_.clear();
    emit Closed();
    return true;
}

bool MemoryLink::Write(const std::uint8_t* bytes, std::size_t count)
{
    if (!open_ || failed_) return false;
    if (farEnd_) farEnd_(bytes, count);
    return true;
}

void MemoryLink::Deliver(std::vector<std::uint8_t> piece)
{
    if (!open_ || piece.empty()) return;
    pieces_.push_back(std::move(piece));
    QMetaObject::invokeMethod(this, &MemoryLink::Release, Qt::QueuedConnection);
}

void MemoryLink::Release()
{
    if (!open_ || failed_ || pieces_.empty()) return;
    const std::vector<std::uint8_t> piece = std::move(pieces_.front());
    pieces_.pop_front();
    readable_.append(reinterpret_cast<const char*>(piece.data()), static_cast<qsizetype>(piece.size()));
    emit DataAvailable();
}

void MemoryLink::Fail(bool writing)
{
    if (!open_) return;
    failed_ = true;
    emit Failed(writing);
}

qint64 MemoryLink::BytesWaiting() const { return open_ && !failed_ ? readable_.size() : 0; }

qint64 MemoryLink::Read(std::uint8_t* buffer, qint64 max)
{
    if (!open_ || failed_) return -1;
    const qint64 count = std::min<qint64>(max, readable_.size());
    std::copy_n(readable_.constData(), count, reinterpret_cast<char*>(buffer));
    readable_.remove(0, static_cast<qsizetype>(count));
    return count;
}
