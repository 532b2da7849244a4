#include "session/port_link.h"

#include "ports/port_catalogue.h"
#include "session/network_link.h"
#include "session/serial_link.h"

PortLink::PortLink(const PortCatalogue& catalogue, QObject* parent)
    : ByteLink(parent),
      catalogue_(catalogue),
      serial_(new SerialLink(catalogue, this)),
      network_(new NetworkLink(this)),
      active_(serial_)
{
    Relay(*serial_);
    Relay(*network_);
}

PortLink::~PortLink()
{
    // The children go with this object; their last events must not reach
    // an owner that is already going.
    serial_->disconnect(this);
    network_->disconnect(this);
}

void PortLink::Relay(ByteLink& link)
{
    connect(&link, &ByteLink::Opened, this, &ByteLink::Opened);
    connect(&link, &ByteLink::OpenFailed, this, &ByteLink::OpenFailed);
    connect(&link, &ByteLink::Closed, this, &ByteLink::Closed);
    connect(&link, &ByteLink::DataAvailable, this, &ByteLink::DataAvailable);
    connect(&link, &ByteLink::Failed, this, &ByteLink::Failed);
    connect(&link, &ByteLink::Note, this, &ByteLink::Note);
}

ByteLink& PortLink::Choose(int comNumber)
{
    if (const std::optional<NetworkAddress> address = catalogue_.NetworkPort(comNumber)) {
        network_->SetAddress(*address);
        active_ = network_;
    } else {
        active_ = serial_;
    }
    return *active_;
}

bool PortLink::Open(int comNumber, qint32 baud)
{
    if (active_->IsOpen()) return true;
    if (active_->IsOpening()) return false;
    return Choose(comNumber).Open(comNumber, baud);
}

void PortLink::StartOpen(int comNumber, qint32 baud)
{
    if (active_->IsOpen() || active_->IsOpening()) return;
    Choose(comNumber).StartOpen(comNumber, baud);
}
