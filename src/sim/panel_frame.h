#pragma once
// The software panel's own view of the link frame:
//   0xDF, L, type, payload (L - 4 bytes), CRC high, CRC low, 0xFD
// where L counts every byte after itself, end byte included, and the
// CRC-16/XMODEM covers L, type and payload. Written apart from the tool's
// link code on purpose, so that a mistake there is not mirrored here.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sim {

// A frame the panel sends: its type and payload.
struct PanelReply {
    uint8_t type = 0;
    std::vector<uint8_t> payload;
};

inline constexpr uint8_t kStartByte = 0xDF;
inline constexpr uint8_t kEndByte = 0xFD;
// A frame holds at most 255 bytes after its length byte, so 251 of payload.
inline constexpr size_t kMaxPayload = 251;
inline constexpr size_t kMaxFrame = 257;
// The tool's receive buffer: a frame still unfinished at this many bytes is
// abandoned.
inline constexpr size_t kReceiveBufferSize = 512;

// Commands the tool sends.
inline constexpr uint8_t kStatusRequestCommand = 129;
inline constexpr uint8_t kReadBlockCommand = 130;
inline constexpr uint8_t kWriteBlockCommand = 131;
inline constexpr uint8_t kIdentifyCommand = 140;
inline constexpr uint8_t kStartUpdateCommand = 144;
inline constexpr uint8_t kUpdatePacketCommand = 145;
inline constexpr uint8_t kBootloaderCommand = 147;
inline constexpr uint8_t kRfLearnCommand = 159;
inline constexpr uint8_t kSetTimeCommand = 160;
inline constexpr uint8_t kRfSensorCommand = 167;
inline constexpr uint8_t kArmCommand = 171;
inline constexpr uint8_t kDisarmCommand = 172;

// Frame types the panel answers with.
inline constexpr uint8_t kStatusFrame = 1;
inline constexpr uint8_t kBlockFrame = 2;
inline constexpr uint8_t kIdentificationFrame = 7;
inline constexpr uint8_t kPacketRequestFrame = 9;
inline constexpr uint8_t kUpdateResultFrame = 10;
inline constexpr uint8_t kSensorRecordFrame = 16;
inline constexpr uint8_t kRfCodeReportFrame = 19;
inline constexpr uint8_t kAckFrame = 134;
inline constexpr uint8_t kNackFrame = 149;

// Name of a command code, or empty when the code is not one the tool uses.
std::string CommandName(uint8_t code);
// Name of a frame type the panel sends, or empty.
std::string FrameTypeName(uint8_t type);

// CRC-16/XMODEM: polynomial 0x1021, initial 0, no reflection, no final XOR.
uint16_t Crc16(const uint8_t* data, size_t count);

// A whole frame for a type and a payload of at most kMaxPayload bytes
// (a longer payload is cut to that length).
std::vector<uint8_t> EncodeFrame(uint8_t type, const uint8_t* payload, size_t length);
// The same frame added at the end of out.
void AppendFrame(uint8_t type, const uint8_t* payload, size_t length, std::vector<uint8_t>& out);
std::vector<uint8_t> EncodeFrame(uint8_t type, const std::vector<uint8_t>& payload = {});

struct DecodedFrame {
    uint8_t type = 0;
    std::vector<uint8_t> payload;
    bool crcOk = false;
};

// Splits a complete frame (start and end byte included). Empty when the
// bytes cannot be a frame at all; crcOk tells whether the CRC matched.
std::optional<DecodedFrame> DecodeFrame(const uint8_t* frame, size_t count);

// Cuts a byte stream into frames the way the tool's receiver does: wait for
// 0xDF, take the length byte L, collect L - 1 bytes (at least one), then
// expect 0xFD. A wrong end byte drops the frame and is not looked at as a
// new start. A length below 4 cannot hold a type and a CRC: its bytes are
// still consumed as the tool would (a length of 0 swallows the rest of a
// 512-byte frame buffer), so both ends lose and regain step alike, but it
// never completes a frame. Only what a real frame can hold is stored, so no
// input can make the buffer grow.
class FrameReceiver {
public:
    // Takes one byte; true when it completed a frame, which Frame() then holds
    // until the next call.
    bool Push(uint8_t byte);
    const uint8_t* Frame() const { return buffer_.data(); }
    size_t FrameLength() const { return complete_ ? index_ : 0; }
    void Reset();

private:
    enum class State { WaitStart, WaitLength, Body, WaitEnd };
    State state_ = State::WaitStart;
    std::array<uint8_t, kMaxFrame> buffer_{};
    size_t index_ = 0;      // bytes taken for the current frame, stored or not
    uint16_t remaining_ = 0;  // 16-bit like the tool's: a length of 0 gives 65535
    bool complete_ = false;
};

}  // namespace sim
