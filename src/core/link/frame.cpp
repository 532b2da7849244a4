#include "core/link/frame.h"

#include <array>
#include <cstring>

namespace {

// Entry i is the CRC-16/XMODEM remainder of byte i shifted into the top of
// the register; computed by the compiler so the table is a true constant.
constexpr std::array<std::uint16_t, 256> MakeCrcTable()
{
    std::array<std::uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned crc = i << 8;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 0x8000) ? ((crc << 1) ^ 0x1021) : (crc << 1);
        }
        table[i] = static_cast<std::uint16_t>(crc & 0xFFFF);
    }
    return table;
}

constexpr std::array<std::uint16_t, 256> kCrcTable = MakeCrcTable();
static_assert(kCrcTable[1] == 0x1021 && kCrcTable[2] == 0x2042 && kCrcTable[255] == 0x1EF0);

}  // namespace

std::uint16_t ComputeFrameCrc(const std::uint8_t* bytes, std::uint16_t count)
{
    std::uint16_t crc = 0;
    if (bytes == nullptr) return crc;
    for (std::uint16_t i = 0; i < count; ++i) {
        crc = static_cast<std::uint16_t>(kCrcTable[((crc >> 8) ^ bytes[i]) & 0xFF] ^ (crc << 8));
    }
    return crc;
}

std::uint8_t ParseFrame(const std::uint8_t* frame, std::uint16_t count, std::uint8_t* payloadOut,
                        std::uint16_t& payloadLengthOut)
{
    // The start byte and the length byte come first; the length is read
    // only once it is there, and used only once the frame holds it all.
    if (frame == nullptr || count < 2 || count > kMaxParsedFrame) return kNotAFrame;
    if (frame[0] != kFrameStart) return kNotAFrame;
    const std::uint16_t length = frame[1];
    // A length below 4 cannot hold a type byte and a CRC.
    if (length < 4 || count <= length) return kNotAFrame;

    const std::uint8_t type = frame[2];
    const std::uint16_t received = static_cast<std::uint16_t>(frame[length - 1] << 8 | frame[length]);
    if (ComputeFrameCrc(frame + 1, static_cast<std::uint16_t>(length - 2)) != received) return kCrcError;

    if (length != 4) {
        const std::uint16_t payloadLength = static_cast<std::uint16_t>(length - 4);
        std::memcpy(payloadOut, frame + 3, payloadLength);
        payloadLengthOut = payloadLength;
    }
    return type;
}

std::size_t BuildFrame(std::uint8_t command, const std::uint8_t* payload, std::size_t payloadLength,
                       std::uint8_t* out)
{
    if (payloadLength > kMaxSendPayload) return 0;
    out[0] = kFrameStart;
    out[1] = static_cast<std::uint8_t>(payloadLength + 4);
    out[2] = command;
    if (payloadLength != 0) std::memcpy(out + 3, payload, payloadLength);
    const std::uint16_t crc = ComputeFrameCrc(out + 1, static_cast<std::uint16_t>(payloadLength + 2));
    out[3 + payloadLength] = static_cast<std::uint8_t>(crc >> 8);
    out[4 + payloadLength] = static_cast<std::uint8_t>(crc & 0xFF);
    out[5 + payloadLength] = kFrameEnd;
    return payloadLength + kFrameOverhead;
}
