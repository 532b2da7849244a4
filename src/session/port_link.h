#pragma once
// The link behind a COM number, as the port catalogue says: the serial
// device of that number, or the network address the installer gave it.
// The session holds this one link and never asks which it is.

#include <optional>

#include "session/byte_link.h"

class NetworkLink;
class PortCatalogue;
class SerialLink;

class PortLink final : public ByteLink {
    Q_OBJECT
public:
    explicit PortLink(const PortCatalogue& catalogue, QObject* parent = nullptr);
    ~PortLink() override;

    bool Open(int comNumber, qint32 baud) override;
    void StartOpen(int comNumber, qint32 baud) override;
    bool IsOpening() const override { return active_->IsOpening(); }
    bool Close() override { return active_->Close(); }
    bool IsOpen() const override { return active_->IsOpen(); }
    bool Write(const std::uint8_t* bytes, std::size_t count) override { return active_->Write(bytes, count); }
    void FlushWrites(int timeoutMs) override { active_->FlushWrites(timeoutMs); }
    qint64 BytesWaiting() const override { return active_->BytesWaiting(); }
    qint64 Read(std::uint8_t* buffer, qint64 max) override { return active_->Read(buffer, max); }
    std::optional<LinkOpenFailure> OpenFailure() const override { return active_->OpenFailure(); }

private:
    void Relay(ByteLink& link);
    // The link of comNumber becomes the active one.
    ByteLink& Choose(int comNumber);

    const PortCatalogue& catalogue_;
    SerialLink* serial_;
    NetworkLink* network_;
    ByteLink* active_;
};
