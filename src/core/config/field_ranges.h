#pragma once
// What a number typed into a field may be before it is packed: what the
// field's bytes can hold (an octet 0 to 255, a 16-bit number 0 to 65535, a
// debounce up to the last millisecond count whose tenth fits 16 bits),
// narrowed where the panel documents a tighter range. Every field is
// unsigned, so none takes a negative number. A value outside is refused
// before anything is sent: cut to its low bits it would be written, and
// acknowledged, as another value.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "core/panel/block_table.h"

enum class NumericField : std::uint8_t {
    ServerOctet,  // block 1, each octet of the four addresses
    ServerPort,
    PollingInterval,  // block 2
    ReducedPollingInterval,
    SensorDebounce,  // block 23, milliseconds, sent in tens
    SirenDelay,      // block 24
    SirenTimeOn,
    SirenTimeAtRest,
    SirenRepetitions,
    ArmingDelay,      // block 38
    SafeMaxDebounce,  // block 41
    SafeMinDebounce,
    SafeLongestOpen,
    RfSensorNumber,  // a record of the RF sensor table, by its number
    RfSerial,
    RfZone,
    RfUser,
};

struct FieldRange {
    NumericField field;
    std::optional<BlockId> block;  // none for the RF sensor table's records
    std::int32_t min;
    std::int32_t max;
    // The panel documents this range: the field's text has always been
    // converted and judged before a page locks for the write. A field that
    // only its bytes bound is converted where it always was, while the
    // block is packed, so a text that is no number fails there as before.
    bool documented;

    constexpr bool Contains(std::int32_t value) const { return value >= min && value <= max; }
};

inline constexpr std::int32_t kByteMax = 0xFF;
inline constexpr std::int32_t kWordMax = 0xFFFF;

// In the order of NumericField.
inline constexpr std::array<FieldRange, 17> kFieldRanges{{
    {NumericField::ServerOctet, BlockId::IpAddressesAndPorts, 0, kByteMax, false},
    {NumericField::ServerPort, BlockId::IpAddressesAndPorts, 0, kWordMax, false},
    {NumericField::PollingInterval, BlockId::PollingInterval, 30, kWordMax, true},
    {NumericField::ReducedPollingInterval, BlockId::PollingInterval, 0, kWordMax, false},
    {NumericField::SensorDebounce, BlockId::WiredSensors, 0, kWordMax * 10 + 9, false},
    {NumericField::SirenDelay, BlockId::Siren, 0, kByteMax, true},
    {NumericField::SirenTimeOn, BlockId::Siren, 0, kByteMax, true},
    {NumericField::SirenTimeAtRest, BlockId::Siren, 0, kByteMax, true},
    {NumericField::SirenRepetitions, BlockId::Siren, 0, kByteMax, true},
    {NumericField::ArmingDelay, BlockId::PanelRules, 0, kByteMax, true},
    {NumericField::SafeMaxDebounce, BlockId::SafeFunction, 0, kByteMax, true},
    {NumericField::SafeMinDebounce, BlockId::SafeFunction, 0, kByteMax, true},
    {NumericField::SafeLongestOpen, BlockId::SafeFunction, 0, kWordMax, true},
    {NumericField::RfSensorNumber, std::nullopt, 1, 2048, true},
    {NumericField::RfSerial, std::nullopt, 1, 4194303, true},
    {NumericField::RfZone, std::nullopt, 5, kWordMax, true},
    {NumericField::RfUser, std::nullopt, 0, kWordMax, false},
}};

constexpr const FieldRange& RangeOf(NumericField field)
{
    return kFieldRanges[static_cast<std::size_t>(field)];
}

constexpr bool InRange(NumericField field, std::int32_t value)
{
    return RangeOf(field).Contains(value);
}

constexpr bool FieldRangesInOrder()
{
    for (std::size_t i = 0; i < kFieldRanges.size(); ++i) {
        if (static_cast<std::size_t>(kFieldRanges[i].field) != i) return false;
    }
    return true;
}
static_assert(FieldRangesInOrder(), "kFieldRanges lists the fields in the order of NumericField");
