#include "core/link/frame_dispatcher.h"

#include "core/link/frame.h"

void DispatchFrame(const std::uint8_t* frame, std::uint16_t count, const FrameReceivers& r)
{
    if (count == 0) return;
    std::uint8_t payload[kPayloadBufferSize];
    std::uint16_t length = 0;
    const std::uint8_t type = ParseFrame(frame, count, payload, length);
    // ParseFrame bounds the payload to 251 bytes, so the 8-bit hand-overs
    // below never truncate.
    const auto length8 = static_cast<std::uint8_t>(length);

    switch (static_cast<FrameType>(type)) {
    case FrameType::StatusPage:
        if (r.diagnostic) r.diagnostic->OnStatusFrame(payload, length);
        break;
    case FrameType::ConfigBlock:
        if (length != 0 && r.link) r.link->HandleConfigResponse(payload, length8);
        break;
    case FrameType::Identification:
        if (length == kIdentificationLength && r.link) r.link->HandleIdentification(payload, length8);
        break;
    case FrameType::UpdatePacketRequest:
        if (r.firmwareUpdate) r.firmwareUpdate->OnPacketRequest(payload, length8);
        break;
    case FrameType::UpdateResult:
        if (r.firmwareUpdate) r.firmwareUpdate->OnUpdateResult(payload, length8);
        break;
    case FrameType::RfSensorRecord:
        if (r.rfSensors) r.rfSensors->OnRfSensorRecord(payload, length);
        break;
    case FrameType::RfCodeReport:
        if (r.enrolment) r.enrolment->OnRfCodeReport(payload, length8);
        break;
    case FrameType::Ack:
        if (r.link) r.link->HandleAckStatus();
        if (r.firmwareUpdate) r.firmwareUpdate->OnUpdateAck();
        if (r.enrolment) r.enrolment->OnEnrolAck();
        break;
    case FrameType::Nack:
        if (r.link) r.link->HandleNackStatus();
        if (r.firmwareUpdate) r.firmwareUpdate->OnUpdateNack();
        if (r.enrolment) r.enrolment->OnEnrolNack();
        break;
    }
}
