#pragma once
// Frame builders for the link tests. They compute the CRC bit by bit, apart
// from the table-driven code under test, and accept payloads beyond what the
// tool itself sends (the panel's frames may carry up to 251 bytes).

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace linktest {

using Bytes = std::vector<std::uint8_t>;

// CRC-16/XMODEM, one bit at a time.
inline std::uint16_t ReferenceCrc(const std::uint8_t* bytes, std::size_t count)
{
    unsigned crc = 0;
    for (std::size_t i = 0; i < count; ++i) {
        crc ^= static_cast<unsigned>(bytes[i]) << 8;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x8000) ? ((crc << 1) ^ 0x1021) : (crc << 1);
        crc &= 0xFFFF;
    }
    return static_cast<std::uint16_t>(crc);
}

// A well-formed received frame: DF, n + 4, type, payload, CRC, FD.
inline Bytes MakeFrame(std::uint8_t type, const Bytes& payload = {})
{
    Bytes frame{0xDF, static_cast<std::uint8_t>(payload.size() + 4), type};
    frame.insert(frame.end(), payload.begin(), payload.end());
    const std::uint16_t crc = ReferenceCrc(frame.data() + 1, frame.size() - 1);
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(0xFD);
    return frame;
}

inline Bytes Filled(std::size_t count, std::uint8_t first = 0)
{
    Bytes bytes(count);
    for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(first + i);
    return bytes;
}

inline Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

}  // namespace linktest
