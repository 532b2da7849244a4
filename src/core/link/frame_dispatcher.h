#pragma once
// Routes each complete received frame by its type byte to the part of the
// program that owns it. Receivers plug in through small interfaces, so a
// receiver registers itself without touching the routing table; a role with
// no receiver registered is a no-op.

#include <cstdint>

#include "core/link/frame_assembler.h"
#include "core/panel/device_identity.h"

// Frame types the panel sends and the tool acts on.
enum class FrameType : std::uint8_t {
    StatusPage = 1,
    ConfigBlock = 2,
    Identification = 7,
    UpdatePacketRequest = 9,
    UpdateResult = 10,
    RfSensorRecord = 16,
    RfCodeReport = 19,
    Ack = 134,
    Nack = 149,
};

// The panel session itself: configuration answers, acknowledgement status,
// identity.
class LinkReceiver {
public:
    virtual void HandleConfigResponse(const std::uint8_t* payload, std::uint8_t length) = 0;
    virtual void HandleIdentification(const std::uint8_t* payload, std::uint8_t length) = 0;
    virtual void HandleAckStatus() = 0;
    virtual void HandleNackStatus() = 0;

protected:
    ~LinkReceiver() = default;
};

class DiagnosticReceiver {
public:
    virtual void OnStatusFrame(const std::uint8_t* payload, std::uint16_t length) = 0;

protected:
    ~DiagnosticReceiver() = default;
};

class RfSensorReceiver {
public:
    virtual void OnRfSensorRecord(const std::uint8_t* payload, std::uint16_t length) = 0;

protected:
    ~RfSensorReceiver() = default;
};

class FirmwareUpdateReceiver {
public:
    virtual void OnPacketRequest(const std::uint8_t* payload, std::uint8_t length) = 0;
    virtual void OnUpdateResult(const std::uint8_t* payload, std::uint8_t length) = 0;
    virtual void OnUpdateAck() = 0;
    virtual void OnUpdateNack() = 0;

protected:
    ~FirmwareUpdateReceiver() = default;
};

class EnrolmentReceiver {
public:
    virtual void OnRfCodeReport(const std::uint8_t* payload, std::uint8_t length) = 0;
    virtual void OnEnrolAck() = 0;
    virtual void OnEnrolNack() = 0;

protected:
    ~EnrolmentReceiver() = default;
};

struct FrameReceivers {
    LinkReceiver* link = nullptr;
    DiagnosticReceiver* diagnostic = nullptr;
    RfSensorReceiver* rfSensors = nullptr;
    FirmwareUpdateReceiver* firmwareUpdate = nullptr;
    EnrolmentReceiver* enrolment = nullptr;
};

// Parses one complete frame and calls its receivers in the fixed order:
// for acknowledgements the status line first, then the firmware window,
// then the enrolment window. Unknown types, CRC errors and payload lengths
// a type refuses are dropped silently.
void DispatchFrame(const std::uint8_t* frame, std::uint16_t count, const FrameReceivers& receivers);

// The assembler's sink that hands every frame to DispatchFrame.
class FrameDispatcher final : public FrameSink {
public:
    FrameReceivers& receivers() { return receivers_; }
    void OnFrame(const std::uint8_t* frame, std::uint16_t count) override { DispatchFrame(frame, count, receivers_); }

private:
    FrameReceivers receivers_;
};
