#include "sim/panel_frame.h"

#include <algorithm>

namespace sim {

std::string CommandName(uint8_t code)
{
    switch (code) {
    case kStatusRequestCommand: return "StatusRequestCommand";
    case kReadBlockCommand: return "ReadBlockCommand";
    case kWriteBlockCommand: return "WriteBlockCommand";
    case kIdentifyCommand: return "IdentifyCommand";
    case kStartUpdateCommand: return "StartUpdateCommand";
    case kUpdatePacketCommand: return "UpdatePacketCommand";
    case kBootloaderCommand: return "BootloaderCommand";
    case kRfLearnCommand: return "RfLearnCommand";
    case kSetTimeCommand: return "SetTimeCommand";
    case kRfSensorCommand: return "RfSensorCommand";
    case kArmCommand: return "ArmCommand";
    case kDisarmCommand: return "DisarmCommand";
    default: return {};
    }
}

std::string FrameTypeName(uint8_t type)
{
    switch (type) {
    case kStatusFrame: return "StatusFrame";
    case kBlockFrame: return "BlockFrame";
    case kIdentificationFrame: return "IdentificationFrame";
    case kPacketRequestFrame: return "PacketRequestFrame";
    case kUpdateResultFrame: return "UpdateResultFrame";
    case kSensorRecordFrame: return "SensorRecordFrame";
    case kRfCodeReportFrame: return "RfCodeReportFrame";
    case kAckFrame: return "Ack";
    case kNackFrame: return "Nack";
    default: return {};
    }
}

uint16_t Crc16(const uint8_t* data, size_t count)
{
    // Bit by bit: slow but obviously right, which is what a reference wants.
    uint16_t crc = 0;
    for (size_t i = 0; i < count; ++i) {
        crc = static_cast<uint16_t>(crc ^ (data[i] << 8));
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 0x8000) ? static_cast<uint16_t>((crc << 1) ^ 0x1021)
                                 : static_cast<uint16_t>(crc << 1);
        }
    }
    return crc;
}

void AppendFrame(uint8_t type, const uint8_t* payload, size_t length, std::vector<uint8_t>& out)
{
    length = std::min(length, kMaxPayload);
    const size_t at = out.size();
    // Room for the whole frame at once, still doubling when frames follow
    // one another, rather than a reallocation every few bytes.
    if (out.capacity() < at + length + 6) {
        out.reserve(std::max(2 * out.capacity(), at + length + 6));
    }
    out.push_back(kStartByte);
    out.push_back(static_cast<uint8_t>(length + 4));
    out.push_back(type);
    if (length > 0) {
        out.insert(out.end(), payload, payload + length);
    }
    const uint16_t crc = Crc16(out.data() + at + 1, length + 2);
    out.push_back(static_cast<uint8_t>(crc >> 8));
    out.push_back(static_cast<uint8_t>(crc & 0xFF));
    out.push_back(kEndByte);
}

std::vector<uint8_t> EncodeFrame(uint8_t type, const uint8_t* payload, size_t length)
{
    std::vector<uint8_t> frame;
    frame.reserve(std::min(length, kMaxPayload) + 6);
    AppendFrame(type, payload, length, frame);
    return frame;
}

std::vector<uint8_t> EncodeFrame(uint8_t type, const std::vector<uint8_t>& payload)
{
    return EncodeFrame(type, payload.data(), payload.size());
}

std::optional<DecodedFrame> DecodeFrame(const uint8_t* frame, size_t count)
{
    if (frame == nullptr || count < 6 || frame[0] != kStartByte) {
        return std::nullopt;
    }
    const size_t length = frame[1];
    if (length < 4 || count != length + 2 || frame[count - 1] != kEndByte) {
        return std::nullopt;
    }
    DecodedFrame decoded;
    decoded.type = frame[2];
    decoded.payload.assign(frame + 3, frame + 3 + (length - 4));
    const uint16_t received = static_cast<uint16_t>((frame[length - 1] << 8) | frame[length]);
    decoded.crcOk = received == Crc16(frame + 1, length - 2);
    return decoded;
}

void FrameReceiver::Reset()
{
    state_ = State::WaitStart;
    index_ = 0;
    remaining_ = 0;
    complete_ = false;
}

bool FrameReceiver::Push(uint8_t byte)
{
    if (complete_) {
        complete_ = false;
        index_ = 0;
    }
    switch (state_) {
    case State::WaitStart:
        if (byte == kStartByte) {
            buffer_[0] = byte;
            index_ = 1;
            state_ = State::WaitLength;
        }
        return false;
    case State::WaitLength:
        buffer_[index_++] = byte;
        remaining_ = static_cast<uint16_t>(byte - 1);
        state_ = State::Body;
        return false;
    case State::Body:
        // At least one byte is taken even for a length of 1. Bytes past what
        // a frame of length 255 can hold belong to a frame that will never
        // complete, so they are counted but not stored.
        if (remaining_ != 0) {
            --remaining_;
        }
        if (index_ < kMaxFrame) {
            buffer_[index_] = byte;
        }
        ++index_;
        if (remaining_ == 0) {
            state_ = State::WaitEnd;
        } else if (index_ >= kReceiveBufferSize) {
            Reset();
        }
        return false;
    case State::WaitEnd:
        state_ = State::WaitStart;
        if (byte != kEndByte || buffer_[1] < 4 || index_ >= kMaxFrame) {
            index_ = 0;
            return false;
        }
        buffer_[index_++] = byte;
        complete_ = true;
        return true;
    }
    return false;
}

}  // namespace sim
