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

// Every input starts from the same scene, built once per process and copied
// into each FuzzReceivers: an image loaded, an update run started and past
// its start (packet requests are served, results judged), an enrolment run
// listening for its first sensor report.
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
    // One tick of supervision and of both machines' timers; the update
    // machine's own tick (it builds its status text each time) only when a
    // frame reached it since the last one, as that is when it decides.
    void Tick();

    // Packet requests the update machine answered with a packet, counted
    // over the whole process: a harness's test sees its input reach them.
    static std::size_t PacketsServed();

private:
    void HandleConfigResponse(const std::uint8_t* payload, std::uint8_t length) override;
    void HandleIdentification(const std::uint8_t* payload, std::uint8_t length) override;
    void HandleAckStatus() override;
    void HandleNackStatus() override;
    void OnStatusFrame(const std::uint8_t* payload, std::uint16_t length) override;
    void OnRfSensorRecord(const std::uint8_t* payload, std::uint16_t length) override;
    void OnPacketRequest(const std::uint8_t* payload, std::uint8_t length) override;
    void OnUpdateResult(const std::uint8_t* payload, std::uint8_t length) override;
    void OnUpdateAck() override
    {
        update_.OnAck();
        updatePending_ = true;
    }
    void OnUpdateNack() override
    {
        update_.OnNack();
        updatePending_ = true;
    }
    void OnRfCodeReport(const std::uint8_t* payload, std::uint8_t length) override;
    void OnEnrolAck() override { enrolment_.OnAck(); }
    void OnEnrolNack() override { enrolment_.OnNack(); }

    FrameReceivers receivers_;
    ConfigAnswerHandling answers_;
    LinkSupervision supervision_;
    UpdateMachine update_;
    EnrolmentMachine enrolment_;
    bool updatePending_ = false;
};

// Reads every byte of a payload in a way the optimiser keeps.
void TouchBytes(const std::uint8_t* payload, std::size_t length);
