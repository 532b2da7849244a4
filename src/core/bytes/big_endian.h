#pragma once
// Every multi-byte number on the link, in a log file and in an image file
// travels most significant byte first.
// A null buffer is tolerated (nothing written, 0 read) so a caller's slip
// costs a wrong value, never a crash.

#include <cstdint>

inline void PutBigEndian16(std::uint8_t* out, std::uint16_t value)
{
    if (out == nullptr) return;
    out[0] = static_cast<std::uint8_t>(value >> 8);
    out[1] = static_cast<std::uint8_t>(value);
}

inline void PutBigEndian32(std::uint8_t* out, std::uint32_t value)
{
    if (out == nullptr) return;
    out[0] = static_cast<std::uint8_t>(value >> 24);
    out[1] = static_cast<std::uint8_t>(value >> 16);
    out[2] = static_cast<std::uint8_t>(value >> 8);
    out[3] = static_cast<std::uint8_t>(value);
}

inline void PutBigEndian64(std::uint8_t* out, std::uint64_t value)
{
    if (out == nullptr) return;
    PutBigEndian32(out, static_cast<std::uint32_t>(value >> 32));
    PutBigEndian32(out + 4, static_cast<std::uint32_t>(value));
}

inline std::uint16_t GetBigEndian16(const std::uint8_t* in)
{
    if (in == nullptr) return 0;
    return static_cast<std::uint16_t>(in[0] << 8 | in[1]);
}

inline std::uint32_t GetBigEndian32(const std::uint8_t* in)
{
    if (in == nullptr) return 0;
    return std::uint32_t{in[0]} << 24 | std::uint32_t{in[1]} << 16 | std::uint32_t{in[2]} << 8 | std::uint32_t{in[3]};
}

inline std::uint64_t GetBigEndian64(const std::uint8_t* in)
{
    if (in == nullptr) return 0;
    return std::uint64_t{GetBigEndian32(in)} << 32 | GetBigEndian32(in + 4);
}
