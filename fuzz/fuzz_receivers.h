#pragma once
// The receivers the receive-path harnesses hand every frame to. The link
// role runs the tool's real handling: answer handling, the fill decoding of
// the block's codec, identification and supervision, acknowledgements; a
// status frame goes through the status-page decoders. The roles with no
// decoder of their own read every payload byte they are given, so a length
// that overstates its buffer shows up under the address sanitizer.

#include <cstddef>
#include <cstdint>

#include "core/link/config_answer_handling.h"
#include "core/link/frame_dispatcher.h"
#include "core/link/link_supervision.h"
#include "core/firmware/image_file.h"
#include "core/firmware/update_machine.h"
#include "core/rf/enrolment_machine.h"

// Every block id the panel may answer with, read-only modem blocks included.
inline constexpr std::uint8_t kFuzzBlockIds[] = {1, 2, 3, 6, 7, 10, 12, 13, 16, 17, 23, 24, 25, 26, 38, 39, 40, 41, 42};

// Runs the codec that fills the page of payload's block (block id first);
// false when no codec takes that block.
bool DecodeBlockAnswer(const std::uint8_t* payload, std::size_t length);

class FuzzReceivers final : private LinkReceiver,
                            private DiagnosticReceiver,
                            private RfSensorReceiver,
                            private FirmwareUpdateReceiver,
                            private EnrolmentReceiver {
public:
    FuzzReceivers();
    const FrameReceivers& Receivers() const { return receivers_; }
    // A write was sent (true) or a read (false): decides how an ack reads.
    void SetWritePending(bool pending);
    // Advances supervision by one tick.
    void Tick() { supervision_.Tick(); }

private:
    void HandleConfigResponse(const std::uint8_t* payload, std::uint8_t length) override;
    void HandleIdentification(const std::uint8_t* payload, std::uint8_t length) override;
    void HandleAckStatus() override;
    void HandleNackStatus() override;
    void OnStatusFrame(const std::uint8_t* payload, std::uint16_t length) override;
    void OnRfSensorRecord(const std::uint8_t* payload, std::uint16_t length) override;
    void OnPacketRequest(const std::uint8_t* payload, std::uint8_t length) override;
    void OnUpdateResult(const std::uint8_t* payload, std::uint8_t length) override;
    void OnUpdateAck() override { update_.OnAck(); }
    void OnUpdateNack() override { update_.OnNack(); }
    void OnRfCodeReport(const std::uint8_t* payload, std::uint8_t length) override;
    void OnEnrolAck() override { enrolment_.OnAck(); }
    void OnEnrolNack() override { enrolment_.OnNack(); }

    FrameReceivers receivers_;
    ConfigAnswerHandling answers_;
    LinkSupervision supervision_;
    FirmwareImage image_;
    UpdateMachine update_{image_};
    EnrolmentMachine enrolment_;
};

// Reads every byte of a payload in a way the optimiser keeps.
void TouchBytes(const std::uint8_t* payload, std::size_t length);
