#pragma once
// One enrolled wireless sensor or key fob as the panel stores it (16 bytes,
// big-endian), the key-fob button functions, and the payloads of
// RfSensorCommand. The RF sensors tab and the enrolment window share them.
//
// Record layout:
//   0..2   serial (24 bits; 1 to 4194303 is a valid serial)
//   3      kind (SensorKind)
//   4      reserved, written as 255
//   5,6,7  functions of buttons 2, 1 and 3, in that order
//   8..9   zone
//   10..11 user
//   12..15 reserved, written as 255

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "core/config/field_ranges.h"

inline constexpr std::size_t kRfRecordLength = 16;
inline constexpr std::size_t kRfSensorPayloadLength = 17;  // subcommand + record
inline constexpr std::int32_t kRfSensorTableSize = 2048;
inline constexpr std::uint32_t kMaxRfSerial = 4194303;  // 0x3FFFFF
static_assert(RangeOf(NumericField::RfSensorNumber).max == kRfSensorTableSize);
static_assert(RangeOf(NumericField::RfSerial).max == static_cast<std::int32_t>(kMaxRfSerial));

enum class SensorKind : std::uint8_t {
    Pir = 1,
    Door = 2,
    KeyFob = 3,
};

// The combo box items of a key-fob button; the last one, "DESABILITADO",
// travels as 255.
inline constexpr int kButtonFunctionCount = 14;
inline constexpr int kButtonDisabledItem = kButtonFunctionCount - 1;
inline constexpr std::uint8_t kButtonDisabled = 255;
extern const std::array<const char*, kButtonFunctionCount> kButtonFunctionItems;

// Combo box item to byte: items 0 to 12 give their index; "DESABILITADO",
// no selection (-1) and anything out of the list give 255.
std::uint8_t EncodeButtonFunction(int itemIndex);
// Byte to combo box item: 0 to 12 select that item, anything above the last
// item "DESABILITADO".
int DecodeButtonFunction(std::uint8_t byte);

struct RfSensorRecord {
    std::uint32_t serial = 0;  // only the low 24 bits travel
    std::uint8_t kind = 0;     // a SensorKind byte; other values mean no kind
    // The button function bytes of buttons 1, 2 and 3 (not in record order).
    std::array<std::uint8_t, 3> buttons{kButtonDisabled, kButtonDisabled, kButtonDisabled};
    std::uint16_t zone = 0;
    std::uint16_t user = 0;
};

inline bool IsValidRfSerial(std::uint32_t serial)
{
    return serial != 0 && serial <= kMaxRfSerial;
}

// Only a key fob carries button functions: a PIR or door sensor (or any
// other kind) is written with 255 in offsets 4 to 7.
std::array<std::uint8_t, kRfRecordLength> PackRfSensorRecord(const RfSensorRecord& record);
// Nothing unless the record is exactly 16 bytes. Reserved bytes are ignored.
std::optional<RfSensorRecord> UnpackRfSensorRecord(const std::uint8_t* bytes, std::size_t length);

// The 17-byte payloads of RfSensorCommand: write a record (subcommand 1),
// read the record of a sensor number (2: the number minus one, its low 16
// bits, big-endian), delete every record (6).
enum class RfSensorSubcommand : std::uint8_t {
    Write = 1,
    Read = 2,
    DeleteAll = 6,
};
using RfSensorPayload = std::array<std::uint8_t, kRfSensorPayloadLength>;
RfSensorPayload RfWritePayload(const RfSensorRecord& record);
RfSensorPayload RfReadPayload(std::int32_t sensorNumber);
RfSensorPayload RfDeleteAllPayload();

// The serial a type-19 report carries: the upper 20 bits of its 24-bit
// code. Nothing unless the report is exactly 3 bytes.
std::optional<std::uint32_t> RfReportSerial(const std::uint8_t* payload, std::size_t length);
