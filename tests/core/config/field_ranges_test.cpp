// The ranges typed numbers are judged by before a block is packed, checked
// against the documented bounds and against what the codecs really carry.

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <vector>

#include "core/config/actuator_blocks.h"
#include "core/config/field_ranges.h"
#include "core/config/network_blocks.h"
#include "core/config/panel_rules_blocks.h"
#include "core/config/safe_blocks.h"
#include "core/config/sensor_blocks.h"

namespace {

using F = NumericField;

TEST(FieldRanges, LowestAndHighestAcceptedAndNothingBeyond)
{
    const struct {
        NumericField field;
        std::int32_t lowest;
        std::int32_t highest;
    } cases[] = {
        {F::ServerOctet, 0, 255},        {F::ServerPort, 0, 65535},       {F::PollingInterval, 30, 65535},
        {F::ReducedPollingInterval, 0, 65535}, {F::SensorDebounce, 0, 655359}, {F::SirenDelay, 0, 255},
        {F::SirenTimeOn, 0, 255},        {F::SirenTimeAtRest, 0, 255},    {F::SirenRepetitions, 0, 255},
        {F::ArmingDelay, 0, 255},        {F::SafeMaxDebounce, 0, 255},    {F::SafeMinDebounce, 0, 255},
        {F::SafeLongestOpen, 0, 65535},  {F::RfSensorNumber, 1, 2048},    {F::RfSerial, 1, 4194303},
        {F::RfZone, 5, 65535},           {F::RfUser, 0, 65535},
    };
    ASSERT_EQ(std::size(cases), kFieldRanges.size());
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.field));
        EXPECT_TRUE(InRange(c.field, c.lowest));
        EXPECT_TRUE(InRange(c.field, c.highest));
        EXPECT_FALSE(InRange(c.field, c.lowest - 1));
        EXPECT_FALSE(InRange(c.field, c.highest + 1));
        // Every field is unsigned: no negative value, however it would wrap.
        for (std::int32_t negative : {-1, -256, -65536, INT32_MIN}) EXPECT_FALSE(InRange(c.field, negative));
    }
}

// A value put into its field of a block and read back from the packed bytes.
using RoundTrip = std::function<std::int32_t(std::int32_t)>;

std::int32_t ThroughServers(std::int32_t value, bool port)
{
    ServerAddresses servers{};
    (port ? servers[2].port : servers[2].octets[1]) = value;
    const auto block = PackServerAddresses(servers);
    const auto back = UnpackServerAddresses(block.data(), block.size());
    return port ? (*back)[2].port : (*back)[2].octets[1];
}

std::int32_t ThroughSiren(std::int32_t value)
{
    const auto block = PackSiren({.timeAtRest = value});
    return UnpackSiren(block.data(), block.size())->timeAtRest;
}

std::int32_t ThroughSafe(std::int32_t value, std::int32_t SafeFunction::*field)
{
    SafeFunction safe;
    safe.*field = value;
    const auto block = PackSafeFunction(safe);
    return (*UnpackSafeFunction(block.data(), block.size())).*field;
}

TEST(FieldRanges, EveryAcceptedValueSurvivesItsBlockAndABytesBoundIsExact)
{
    const struct {
        NumericField field;
        RoundTrip trip;
    } cases[] = {
        {F::ServerOctet, [](std::int32_t v) { return ThroughServers(v, false); }},
        {F::ServerPort, [](std::int32_t v) { return ThroughServers(v, true); }},
        {F::PollingInterval,
         [](std::int32_t v) {
             const auto block = PackPollingIntervals({v, 0});
             return UnpackPollingIntervals(block.data(), block.size())->interval;
         }},
        {F::ReducedPollingInterval,
         [](std::int32_t v) {
             const auto block = PackPollingIntervals({30, v});
             return UnpackPollingIntervals(block.data(), block.size())->reduced;
         }},
        // Sent in tens of milliseconds: what comes back is the value without its units.
        {F::SensorDebounce,
         [](std::int32_t v) {
             WiredSensor sensor;
             sensor.debounceMs = v;
             const std::vector<WiredSensor> sensors(4, sensor);
             const auto block = PackWiredSensors(sensors);
             const std::int32_t back = (*UnpackWiredSensors(block.data(), block.size()))[3].debounceMs;
             return back + v % 10;
         }},
        {F::SirenTimeAtRest, ThroughSiren},
        {F::ArmingDelay,
         [](std::int32_t v) {
             const auto block = PackPanelRules({.armingDelay = v});
             return UnpackPanelRules(block.data(), block.size())->armingDelay;
         }},
        {F::SafeMinDebounce, [](std::int32_t v) { return ThroughSafe(v, &SafeFunction::minDebounce); }},
        {F::SafeLongestOpen, [](std::int32_t v) { return ThroughSafe(v, &SafeFunction::longestOpen); }},
    };
    for (const auto& c : cases) {
        const FieldRange& range = RangeOf(c.field);
        SCOPED_TRACE(static_cast<int>(c.field));
        EXPECT_EQ(c.trip(range.min), range.min);
        EXPECT_EQ(c.trip(range.max), range.max);
        // Where only the bytes bound a field, one more would be cut to
        // another value: the range is all the field holds.
        if (!range.documented) {
            EXPECT_NE(c.trip(range.max + 1), range.max + 1);
        }
    }
}

}  // namespace
