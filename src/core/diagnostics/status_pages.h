#pragma once
// The status frame (frame type 1) and its pages. Every frame starts with a
// common header:
//   0 page code, 1 model code, 2 firmware version byte,
//   3..6 serial number, 7..10 CPU timestamp (seconds since 1970, unsigned),
// then the page data; each page code has one exact payload length, and a
// frame of any other length changes no label. Numbers are big-endian.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "core/diagnostics/label_update.h"

inline constexpr std::size_t kStatusHeaderLength = 11;

struct StatusHeader {
    std::uint8_t pageCode = 0;
    std::uint8_t model = 0;
    std::uint8_t version = 0;
    std::uint32_t serial = 0;
    std::uint32_t timestamp = 0;
};

struct StatusFrameResult {
    // Absent for a payload too short to hold the header: then nothing changes.
    std::optional<StatusHeader> header;
    // Empty for an unknown page code or a length that does not suit the page.
    LabelUpdates updates;
};

// The header alone, without the page: absent for a payload too short.
std::optional<StatusHeader> DecodeStatusHeader(const std::uint8_t* payload, std::size_t length);

// The window's whole reaction to one status frame. The header is kept even
// when the page itself is refused (it names the log file).
StatusFrameResult DecodeStatusFrame(const std::uint8_t* payload, std::size_t length);

// The exact payload length of a page the window decodes, or nothing.
std::optional<std::size_t> StatusPageLength(std::uint8_t pageCode);

// "Quinta 10 de Dezembro de 2026  -  04:05:06  GMT\n": the timestamp as a
// calendar time in UTC, with the weekday and month names of the status bar.
std::string UtcDateText(std::uint32_t timestamp);

// Sign and magnitude: bit 15 is the sign, bits 0..14 hundredths of a degree.
float TemperatureFromRaw(std::uint16_t raw);

// The firmware version of a status page: "V%d.%02d - (teste)" for an odd
// minor nibble, else "(oficial)"; unlike the status bar, 0xFF reads V15.15.
std::string StatusVersionText(std::uint8_t version);

// What showing the window does: the value labels that hold live values go
// back to "Sem informação", the tamper label to blue, the bar pictures hide.
LabelUpdates ShowResetUpdates();
