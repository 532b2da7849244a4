#pragma once
// The link frame shared by both directions of the serial line:
//   0xDF, L = n + 4, command/type, n payload bytes, CRC high, CRC low, 0xFD
// The CRC (CRC-16/XMODEM) covers L, the type byte and the payload.

#include <cstddef>
#include <cstdint>

inline constexpr std::uint8_t kFrameStart = 0xDF;
inline constexpr std::uint8_t kFrameEnd = 0xFD;
// Largest payload the tool ever sends; the session refuses a longer one
// before it is framed, and BuildFrame never cuts one to fit.
inline constexpr std::size_t kMaxSendPayload = 200;
// Start, length, type, CRC (2) and end around the payload.
inline constexpr std::size_t kFrameOverhead = 6;
inline constexpr std::size_t kMaxSendFrame = kMaxSendPayload + kFrameOverhead;
// Longest frame ParseFrame accepts, and the buffer its payload output needs.
inline constexpr std::uint16_t kMaxParsedFrame = 260;
inline constexpr std::size_t kPayloadBufferSize = 256;

// ParseFrame's answers for a rejected frame; types 0 and 255 are never acted on.
inline constexpr std::uint8_t kNotAFrame = 0x00;
inline constexpr std::uint8_t kCrcError = 0xFF;

std::uint16_t ComputeFrameCrc(const std::uint8_t* bytes, std::uint16_t count);

// Checks one complete received frame and copies its payload to payloadOut
// (at least kPayloadBufferSize bytes). Returns the type byte, kNotAFrame or
// kCrcError. payloadLengthOut is only written when there is a payload.
std::uint8_t ParseFrame(const std::uint8_t* frame, std::uint16_t count, std::uint8_t* payloadOut,
                        std::uint16_t& payloadLengthOut);

// Builds the frame of a command into out (at least kMaxSendFrame bytes).
// Returns the frame's length, or 0 when the payload exceeds kMaxSendPayload.
std::size_t BuildFrame(std::uint8_t command, const std::uint8_t* payload, std::size_t payloadLength,
                       std::uint8_t* out);
