#include "sim/panel_rf.h"

#include <algorithm>

#include "sim/panel_frame.h"

namespace sim {

namespace {

constexpr uint8_t kWriteRecord = 1;
constexpr uint8_t kReadRecord = 2;
constexpr uint8_t kDeleteAll = 6;
constexpr uint32_t kMaxSerial = 0x3FFFFF;

RfRecord FreeRecord()
{
    RfRecord record;
    record.fill(0xFF);
    return record;
}

uint32_t SerialOf(const uint8_t* record)
{
    return (static_cast<uint32_t>(record[0]) << 16) | (static_cast<uint32_t>(record[1]) << 8) | record[2];
}

bool IsEnrolled(const RfRecord& record)
{
    const uint32_t serial = SerialOf(record.data());
    return serial != 0 && serial <= kMaxSerial;
}

// serial, kind, reserved, buttons 2, 1, 3, zone, user, reserved.
RfRecord MakeRecord(uint32_t serial, uint8_t kind, uint8_t b2, uint8_t b1, uint8_t b3, uint16_t zone, uint16_t user)
{
    return {static_cast<uint8_t>(serial >> 16), static_cast<uint8_t>(serial >> 8), static_cast<uint8_t>(serial),
            kind, 0xFF, b2, b1, b3,
            static_cast<uint8_t>(zone >> 8), static_cast<uint8_t>(zone),
            static_cast<uint8_t>(user >> 8), static_cast<uint8_t>(user),
            0xFF, 0xFF, 0xFF, 0xFF};
}

PanelReply Ack()
{
    return {kAckFrame, {}};
}
PanelReply Nack()
{
    return {kNackFrame, {}};
}

}  // namespace

PanelRf::PanelRf(bool autoTrigger) : autoTrigger_(autoTrigger)
{
    table_.fill(FreeRecord());
    // Factory contents: a PIR sensor on zone 5 and a key fob of user 2.
    table_[0] = MakeRecord(123456, 1, 0xFF, 0xFF, 0xFF, 5, 1);
    table_[1] = MakeRecord(654321, 3, 1, 0, 3, 6, 2);
}

size_t PanelRf::EnrolledCount() const
{
    size_t count = 0;
    for (const RfRecord& record : table_) {
        count += IsEnrolled(record) ? 1 : 0;
    }
    return count;
}

PanelReply PanelRf::HandleSensorCommand(const std::vector<uint8_t>& payload)
{
    if (payload.size() != kRfCommandSize) {
        return Nack();
    }
    switch (payload[0]) {
    case kWriteRecord: return WriteRecord(payload);
    case kReadRecord: {
        const size_t index = (static_cast<size_t>(payload[1]) << 8) | payload[2];
        if (index >= kRfRecordCount) {
            return Nack();
        }
        return {kSensorRecordFrame, std::vector<uint8_t>(table_[index].begin(), table_[index].end())};
    }
    case kDeleteAll: table_.fill(FreeRecord()); return Ack();
    default: return Nack();
    }
}

PanelReply PanelRf::WriteRecord(const std::vector<uint8_t>& payload)
{
    RfRecord record;
    std::copy(payload.begin() + 1, payload.end(), record.begin());
    const uint32_t serial = SerialOf(record.data());
    if (serial == 0 || serial > kMaxSerial) {
        return Nack();
    }
    RfRecord* slot = nullptr;
    for (RfRecord& existing : table_) {
        if (IsEnrolled(existing) && SerialOf(existing.data()) == serial) {
            slot = &existing;
            break;
        }
    }
    for (size_t i = 0; slot == nullptr && i < table_.size(); ++i) {
        if (!IsEnrolled(table_[i])) {
            slot = &table_[i];
        }
    }
    if (slot == nullptr) {
        return Nack();
    }
    *slot = record;
    return Ack();
}

std::optional<PanelReply> PanelRf::HandleLearn(const std::vector<uint8_t>& payload)
{
    if (payload.size() == 1 && payload[0] == kStartListening) {
        listening_ = true;
        ticksListening_ = 0;
        ++sessions_;
        return Ack();
    }
    if (payload.size() == 1 && payload[0] == kStopListening) {
        listening_ = false;
        return std::nullopt;
    }
    return Nack();
}

std::optional<PanelReply> PanelRf::Trigger(uint32_t code)
{
    if (!listening_) {
        return std::nullopt;
    }
    return PanelReply{kRfCodeReportFrame,
                      {static_cast<uint8_t>(code >> 16), static_cast<uint8_t>(code >> 8), static_cast<uint8_t>(code)}};
}

std::vector<PanelReply> PanelRf::Tick()
{
    std::vector<PanelReply> reports;
    if (!listening_ || !autoTrigger_) {
        return reports;
    }
    ++ticksListening_;
    const uint32_t serial = (kDemoSerialBase + sessions_) & 0xFFFFF;
    if (ticksListening_ == kFirstTriggerTicks) {
        reports.push_back(*Trigger((serial << 4) | 0x3));
    } else if (ticksListening_ == kFirstTriggerTicks + kSecondTriggerTicks) {
        reports.push_back(*Trigger((serial << 4) | 0xB));
    }
    return reports;
}

}  // namespace sim
