#pragma once
// The panel's radio side: the table of enrolled RF sensors and the
// listening mode in which it reports every sensor it hears.
//
//  - RfSensorCommand, always 17 bytes, byte 0 a subcommand:
//      1 write the 16-byte record that follows: it replaces the record of
//        the same serial, or takes the first free slot; acknowledged. A
//        serial outside 1..4194303 or a full table is refused (Nack).
//      2 read the record at the big-endian index in bytes 1 and 2: answered
//        with a type-16 frame holding the 16 bytes; an index past the table
//        is refused.
//      6 delete every record; acknowledged.
//    Any other subcommand or length: Nack.
//  - RfLearnCommand [7]: listening starts, acknowledged; [8]: listening
//    stops, not answered. Anything else: Nack.
//  - While listening, a triggered sensor is reported by a type-19 frame
//    whose 3 bytes are the sensor's 24-bit code (serial in the upper 20 bits).
//  - With automatic triggers on (demo and the standalone panel), a sensor
//    triggers itself 3 ticks after listening starts and again 2 ticks later:
//    the same serial, other low 4 bits, so a user can enrol one with no
//    hardware. Each listening session brings a sensor of its own.
//
// A free slot reads as 16 bytes 0xFF, as an erased memory does.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "sim/panel_frame.h"

namespace sim {

inline constexpr size_t kRfRecordCount = 2048;
inline constexpr size_t kRfRecordSize = 16;
inline constexpr size_t kRfCommandSize = 17;

using RfRecord = std::array<uint8_t, kRfRecordSize>;

class PanelRf {
public:
    static constexpr uint8_t kStartListening = 7;
    static constexpr uint8_t kStopListening = 8;
    static constexpr unsigned kFirstTriggerTicks = 3;
    static constexpr unsigned kSecondTriggerTicks = 2;  // after the first
    static constexpr uint32_t kDemoSerialBase = 0x4C2A1;

    explicit PanelRf(bool autoTrigger);

    PanelReply HandleSensorCommand(const std::vector<uint8_t>& payload);
    std::optional<PanelReply> HandleLearn(const std::vector<uint8_t>& payload);
    // Once a second; the reports of automatic triggers that fall due.
    std::vector<PanelReply> Tick();
    // A sensor with this 24-bit code transmits: a report while listening.
    std::optional<PanelReply> Trigger(uint32_t code);

    bool Listening() const { return listening_; }
    void SetAutoTrigger(bool on) { autoTrigger_ = on; }
    const RfRecord& Record(size_t index) const { return table_.at(index); }
    void SetRecord(size_t index, const RfRecord& record) { table_.at(index) = record; }
    size_t EnrolledCount() const;

private:
    PanelReply WriteRecord(const std::vector<uint8_t>& payload);

    std::array<RfRecord, kRfRecordCount> table_;
    bool listening_ = false;
    bool autoTrigger_ = false;
    unsigned ticksListening_ = 0;
    uint32_t sessions_ = 0;
};

}  // namespace sim
