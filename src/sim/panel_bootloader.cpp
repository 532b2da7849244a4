#include "sim/panel_bootloader.h"

#include <algorithm>

#include "sim/panel_frame.h"

namespace sim {

namespace {

constexpr size_t kHeaderSize = 28;
constexpr size_t kRecordSize = 208;
constexpr size_t kDataArea = 192;
constexpr uint8_t kKey[8] = {0x5C, 0xE1, 0x07, 0xA4, 0x39, 0xD2, 0x6B, 0x10};
constexpr uint8_t kOffset = 0x3D;
// Fixed bytes of packet 145 before its data.
constexpr size_t kPacketPrefix = 8;
// A request nobody answered is repeated after this many ticks.
constexpr int kAskAgainTicks = 2;

uint32_t Little(const uint8_t* at, int width)
{
    uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i) value = value << 8 | at[i];
    return value;
}

PanelReply Result(uint8_t code)
{
    return {kUpdateResultFrame, {code}};
}

}  // namespace

std::optional<std::vector<ExpectedPacket>> ReadExpectedImage(const std::vector<uint8_t>& file, std::string* error)
{
    auto fail = [error](const char* reason) -> std::optional<std::vector<ExpectedPacket>> {
        if (error) *error = reason;
        return std::nullopt;
    };
    if (file.size() < kHeaderSize) return fail("shorter than an image header");
    if (Little(file.data(), 4) != 0x12A58A45 || Little(file.data() + 24, 4) != 0x7A95AC1F) {
        return fail("not an image: header signature wrong");
    }
    const size_t count = Little(file.data() + 14, 2);
    if (file.size() < kHeaderSize + count * kRecordSize) return fail("fewer packets than the header announces");
    std::vector<ExpectedPacket> packets(count);
    for (size_t n = 0; n < count; ++n) {
        const uint8_t* record = file.data() + kHeaderSize + n * kRecordSize;
        const size_t length = Little(record + 6, 2);
        if (Little(record, 4) != 0x567B35A0 || length > kDataArea) return fail("a packet record is damaged");
        packets[n].tag = Little(record + 12, 4);
        for (size_t i = 0; i < length; ++i) {
            packets[n].data.push_back(static_cast<uint8_t>(static_cast<uint8_t>(record[16 + i] + kOffset) ^ kKey[i % 8]));
        }
    }
    return packets;
}

std::vector<PanelReply> PanelBootloader::OnBootloaderCommand()
{
    inBootloader_ = true;
    transferring_ = false;  // a cancel, when a transfer was running
    asked_ = 0;
    return {{kAckFrame, {}}};
}

std::vector<PanelReply> PanelBootloader::OnStartUpdate(const std::vector<uint8_t>& payload)
{
    if (!inBootloader_ || payload.size() != 5) return {{kNackFrame, {}}};
    firmwareId_ = payload[0];
    count_ = static_cast<uint16_t>(payload[1] << 8 | payload[2]);
    imageWord_ = static_cast<uint16_t>(payload[3] << 8 | payload[4]);
    received_.assign(count_, {});
    have_.assign(count_, false);
    packetsReceived_ = 0;
    transferring_ = true;
    confirming_ = true;
    asked_ = 0;
    // Confirms the start only: the tool does not answer it.
    return {Request(descending_ && count_ > 0 ? count_ : 1)};
}

std::vector<PanelReply> PanelBootloader::Tick()
{
    if (!transferring_) return {};
    if (confirming_) {
        confirming_ = false;
        if (count_ == 0) return Finish();
        asked_ = descending_ ? count_ : 1;
        waitTicks_ = 0;
        return {Request(asked_)};
    }
    if (asked_ == 0 || ++waitTicks_ < kAskAgainTicks) return {};
    waitTicks_ = 0;
    return {Request(asked_)};
}

std::vector<PanelReply> PanelBootloader::OnPacket(const std::vector<uint8_t>& payload)
{
    if (!transferring_ || asked_ == 0) return {};
    if (IsRepeat(payload)) return {};  // the answer to a request asked twice
    if (!PacketIsGood(payload)) {
        transferring_ = false;
        asked_ = 0;
        lastResult_ = 2;
        return {Result(2)};
    }
    ExpectedPacket& packet = received_[asked_ - 1];
    packet.tag = static_cast<uint32_t>(payload[3]) << 24 | static_cast<uint32_t>(payload[4]) << 16 |
                 static_cast<uint32_t>(payload[5]) << 8 | payload[6];
    packet.data.assign(payload.begin() + kPacketPrefix, payload.end());
    have_[asked_ - 1] = true;
    ++packetsReceived_;
    if (packetsReceived_ == count_) return Finish();
    if (stopAfter_ != 0 && packetsReceived_ >= stopAfter_) {
        asked_ = 0;
        return {};
    }
    asked_ = descending_ ? asked_ - 1 : asked_ + 1;
    waitTicks_ = 0;
    return {Request(asked_)};
}

PanelReply PanelBootloader::Request(uint16_t number) const
{
    const uint16_t asked = forcedNumber_ != 0 ? forcedNumber_ : number;
    const uint8_t id = wrongFirmwareId_ ? static_cast<uint8_t>(firmwareId_ ^ 0x5A) : firmwareId_;
    return {kPacketRequestFrame, {id, static_cast<uint8_t>(asked >> 8), static_cast<uint8_t>(asked)}};
}

std::vector<PanelReply> PanelBootloader::Finish()
{
    transferring_ = false;
    asked_ = 0;
    if (finalResult_ != 0) {
        lastResult_ = finalResult_;
        return {Result(finalResult_)};
    }
    version_ = firmwareId_;
    lastResult_ = 5;
    return {Result(1), Result(5)};
}

bool PanelBootloader::PacketIsGood(const std::vector<uint8_t>& payload) const
{
    if (payload.size() < kPacketPrefix || payload[0] != firmwareId_) return false;
    const uint16_t number = static_cast<uint16_t>(payload[1] << 8 | payload[2]);
    const size_t length = payload[7];
    if (number != asked_ || length > kDataArea || length != payload.size() - kPacketPrefix) return false;
    if (expected_.empty()) return true;
    if (number > expected_.size()) return false;
    const ExpectedPacket& want = expected_[number - 1];
    const uint32_t tag = static_cast<uint32_t>(payload[3]) << 24 | static_cast<uint32_t>(payload[4]) << 16 |
                         static_cast<uint32_t>(payload[5]) << 8 | payload[6];
    return tag == want.tag && std::equal(payload.begin() + kPacketPrefix, payload.end(), want.data.begin(), want.data.end());
}

bool PanelBootloader::IsRepeat(const std::vector<uint8_t>& payload) const
{
    if (payload.size() < kPacketPrefix) return false;
    const size_t number = static_cast<size_t>(payload[1] << 8 | payload[2]);
    if (number == asked_ || number == 0 || number > received_.size()) return false;
    const ExpectedPacket& earlier = received_[number - 1];
    return have_[number - 1] && std::equal(payload.begin() + kPacketPrefix, payload.end(), earlier.data.begin(),
                                               earlier.data.end());
}

}  // namespace sim
