#include "core/config/sensor_blocks.h"

#include <algorithm>

#include "core/bytes/big_endian.h"
#include "core/config/fixed_block_codec.h"

namespace {

constexpr std::size_t kRecordLength = 5;
constexpr std::int32_t kDebounceUnitMs = 10;
constexpr std::uint8_t kFirstRuleBit = 0x01;
constexpr std::uint8_t kSecondRuleBit = 0x02;

SensorPolarity PolarityOfByte(std::uint8_t byte)
{
    if (byte == static_cast<std::uint8_t>(SensorPolarity::LowLevel)) return SensorPolarity::LowLevel;
    if (byte == static_cast<std::uint8_t>(SensorPolarity::Floating)) return SensorPolarity::Floating;
    return SensorPolarity::HighLevel;
}

}  // namespace

SensorPolarity PolarityOfButtons(bool lowLevelChecked, bool floatingChecked)
{
    if (lowLevelChecked) return SensorPolarity::LowLevel;
    if (floatingChecked) return SensorPolarity::Floating;
    return SensorPolarity::HighLevel;
}

std::vector<std::uint8_t> PackWiredSensors(std::span<const WiredSensor> sensors)
{
    const std::size_t count = std::min(sensors.size(), kWiredSensorCount);
    std::vector<std::uint8_t> block(1 + kRecordLength * count);
    block[0] = BlockByte(BlockId::WiredSensors);
    for (std::size_t i = 0; i < count; ++i) {
        const WiredSensor& sensor = sensors[i];
        std::uint8_t* record = &block[1 + kRecordLength * i];
        record[0] = ComboByte(sensor.typeIndex);
        record[1] = static_cast<std::uint8_t>(sensor.polarity);
        record[2] = static_cast<std::uint8_t>((sensor.firstRule ? kFirstRuleBit : 0) |
                                              (sensor.secondRule ? kSecondRuleBit : 0));
        // Integer division truncates toward zero, as the unit requires.
        PutBigEndian16(&record[3], LowWord(sensor.debounceMs / kDebounceUnitMs));
    }
    return block;
}

std::optional<std::vector<WiredSensor>> UnpackWiredSensors(const std::uint8_t* payload, std::size_t length)
{
    if (!IsBlockAnswer(BlockId::WiredSensors, payload, length)) return std::nullopt;
    const std::size_t count = std::min((length - 1) / kRecordLength, kWiredSensorCount);
    std::vector<WiredSensor> sensors(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* record = &payload[1 + kRecordLength * i];
        WiredSensor& sensor = sensors[i];
        sensor.typeIndex = ComboIndex(record[0], kSensorTypeCount);
        sensor.polarity = PolarityOfByte(record[1]);
        sensor.firstRule = (record[2] & kFirstRuleBit) != 0;
        sensor.secondRule = (record[2] & kSecondRuleBit) != 0;
        sensor.debounceMs = std::int32_t{GetBigEndian16(&record[3])} * kDebounceUnitMs;
    }
    return sensors;
}
