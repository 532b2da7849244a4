// The codecs behind tabs 4 to 6: the modem's SIM card data interval, the
// wired sensor records and the four actuator blocks.

#include <gtest/gtest.h>

#include <climits>

#include "core/config/actuator_blocks.h"
#include "core/config/modem_blocks.h"
#include "core/config/sensor_blocks.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// ---- Modem ----------------------------------------------------------------------

TEST(ModemBlocks, EachSubPageReadsItsBlock)
{
    const struct {
        int index;
        std::optional<std::uint8_t> block;
    } cases[] = {{-1, std::nullopt}, {0, 16}, {1, 10}, {2, 12}, {3, 7}, {4, 13}, {5, std::nullopt}};
    for (const auto& c : cases) EXPECT_EQ(SubPageBlock(kModemSubPageBlocks, c.index), c.block) << c.index;
}

TEST(ModemBlocks, SimcardIntervalIsASignedBigEndianNumber)
{
    const struct {
        Bytes answer;
        std::optional<std::int32_t> seconds;
    } cases[] = {
        {{12, 0, 0, 14, 16}, 3600},
        {{12, 1, 99, 245, 0}, 23328000},
        {{12, 0x80, 0, 0, 0}, INT32_MIN},
        {{12, 0xFF, 0xFF, 0xFF, 0xFE}, -2},
        {{12, 0, 0, 14}, std::nullopt},
        {{12, 0, 0, 14, 16, 0}, std::nullopt},
        {{13, 0, 0, 14, 16}, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UnpackSimcardDataInterval(c.answer.data(), c.answer.size()), c.seconds) << c.answer.size();
    }
    EXPECT_EQ(UnpackSimcardDataInterval(nullptr, 5), std::nullopt);
}

// ---- Wired sensors ----------------------------------------------------------------

TEST(SensorBlocks, DebounceTravelsInTruncatedTensOfMilliseconds)
{
    const struct {
        std::int32_t typed;
        std::uint8_t high, low;
        std::int32_t shown;
    } cases[] = {
        {1234, 0x00, 0x7B, 1230}, {5, 0, 0, 0},          {9, 0, 0, 0},     {655350, 0xFF, 0xFF, 655350},
        {655360, 0, 0, 0},        {-15, 0xFF, 0xFF, 655350}, {-5, 0, 0, 0}, {10, 0, 1, 10},
    };
    for (const auto& c : cases) {
        const WiredSensor sensor{.debounceMs = c.typed};
        const Bytes block = PackWiredSensors(std::span(&sensor, 1));
        ASSERT_EQ(block.size(), 6u);
        EXPECT_EQ(block[4], c.high) << c.typed;
        EXPECT_EQ(block[5], c.low) << c.typed;

        Bytes answer(21, 0);
        answer[0] = 23;
        answer[4] = c.high;
        answer[5] = c.low;
        const auto back = UnpackWiredSensors(answer.data(), answer.size());
        ASSERT_TRUE(back);
        EXPECT_EQ((*back)[0].debounceMs, c.shown) << c.typed;
    }
}

TEST(SensorBlocks, PolarityOfTheButtonsAndOfTheByte)
{
    EXPECT_EQ(PolarityOfButtons(true, false), SensorPolarity::LowLevel);
    EXPECT_EQ(PolarityOfButtons(false, true), SensorPolarity::Floating);
    EXPECT_EQ(PolarityOfButtons(false, false), SensorPolarity::HighLevel);  // none checked, or high level

    const struct {
        std::uint8_t byte;
        SensorPolarity polarity;
    } cases[] = {{0, SensorPolarity::LowLevel}, {1, SensorPolarity::Floating}, {2, SensorPolarity::HighLevel},
                 {7, SensorPolarity::HighLevel}, {255, SensorPolarity::HighLevel}};
    for (const auto& c : cases) {
        Bytes answer(21, 0);
        answer[0] = 23;
        answer[2] = c.byte;
        EXPECT_EQ((*UnpackWiredSensors(answer.data(), answer.size()))[0].polarity, c.polarity) << int{c.byte};
    }
}

TEST(SensorBlocks, RecordsCarryTypeRulesAndPolarityInPlace)
{
    const WiredSensor sensors[] = {
        {.typeIndex = 3, .polarity = SensorPolarity::LowLevel, .firstRule = true, .debounceMs = 500},
        {.typeIndex = -1, .polarity = SensorPolarity::HighLevel, .firstRule = true, .secondRule = true},
        {.typeIndex = 14, .polarity = SensorPolarity::Floating, .secondRule = true, .debounceMs = 100},
    };
    const Bytes block = PackWiredSensors(sensors);
    EXPECT_EQ(block, (Bytes{23, 3, 0, 1, 0, 50, 255, 2, 3, 0, 0, 14, 1, 2, 0, 10}));

    // Back from a 21-byte answer: type 255 or past the list is no selection,
    // only the two rule bits count.
    const Bytes answer = {23, 3, 0, 0xFD, 0, 50, 255, 2, 0xFE, 0, 0, 14, 1, 2, 0, 10, 15, 9, 0, 0, 1};
    const auto back = UnpackWiredSensors(answer.data(), answer.size());
    ASSERT_TRUE(back);
    ASSERT_EQ(back->size(), 4u);
    EXPECT_EQ((*back)[0].typeIndex, 3);
    EXPECT_TRUE((*back)[0].firstRule);
    EXPECT_FALSE((*back)[0].secondRule);
    EXPECT_EQ((*back)[1].typeIndex, -1);
    EXPECT_FALSE((*back)[1].firstRule);
    EXPECT_TRUE((*back)[1].secondRule);
    EXPECT_EQ((*back)[2].typeIndex, 14);
    EXPECT_EQ((*back)[3].typeIndex, -1);
}

TEST(SensorBlocks, ModelDecidesTheRecordsAndAnswersMustBeWhole)
{
    const struct {
        std::uint8_t model;
        std::size_t records;
        std::size_t bytes;
    } models[] = {{37, 4, 21}, {51, 6, 31}, {56, 6, 31}};
    const std::vector<WiredSensor> six(kWiredSensorCount);
    for (const auto& m : models) {
        const std::size_t records = WiredSensorRecordCount(m.model);
        EXPECT_EQ(records, m.records) << int{m.model};
        EXPECT_EQ(PackWiredSensors(std::span(six).first(records)).size(), m.bytes) << int{m.model};
    }
    // Never more than six records, whatever is handed in.
    EXPECT_EQ(PackWiredSensors(std::vector<WiredSensor>(9)).size(), 31u);

    for (std::size_t length : {0u, 1u, 20u, 22u, 26u, 30u, 32u}) {
        Bytes answer(length, 0);
        if (length > 0) answer[0] = 23;
        EXPECT_FALSE(UnpackWiredSensors(answer.data(), answer.size())) << length;
    }
    Bytes other(31, 0);
    other[0] = 24;
    EXPECT_FALSE(UnpackWiredSensors(other.data(), other.size()));
    Bytes whole(31, 0);
    whole[0] = 23;
    EXPECT_EQ(UnpackWiredSensors(whole.data(), whole.size())->size(), 6u);
}

// ---- Actuators ----------------------------------------------------------------------

TEST(ActuatorBlocks, SubPagesAndModelsChooseTheOutputs)
{
    const struct {
        int index;
        std::optional<std::uint8_t> block;
    } pages[] = {{-1, std::nullopt}, {0, 17}, {1, 24}, {2, 25}, {3, 26}, {4, std::nullopt}};
    for (const auto& p : pages) EXPECT_EQ(SubPageBlock(kActuatorSubPageBlocks, p.index), p.block) << p.index;

    const struct {
        std::uint8_t model;
        std::optional<bool> shown;
        Bytes block;
    } models[] = {
        {37, false, {17, 1, 255}},
        {51, true, {17, 1, 255, 5, 0}},
        {56, false, {17, 1, 255, 5, 0}},
        {9, std::nullopt, {17, 1, 255, 5, 0}},
        {0, std::nullopt, {17, 1, 255, 5, 0}},
    };
    for (const auto& m : models) {
        EXPECT_EQ(ShowsOutputs3And4(m.model), m.shown) << int{m.model};
        EXPECT_EQ(PackActuatorTypes({1, -1, 5, 0}, m.model), m.block) << int{m.model};
    }
}

TEST(ActuatorBlocks, TypesAnswerHasTwoOrFourOutputs)
{
    const struct {
        Bytes answer;
        std::optional<std::vector<int>> types;
    } cases[] = {
        {{17, 1, 2}, std::vector<int>{1, 2}},
        {{17, 0, 5, 6, 255}, std::vector<int>{0, 5, -1, -1}},
        {{17, 1, 2, 3}, std::nullopt},
        {{17}, std::nullopt},
        {{24, 1, 2}, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UnpackActuatorTypes(c.answer.data(), c.answer.size()), c.types) << c.answer.size();
    }
}

TEST(ActuatorBlocks, SirenValuesTravelAsTheirLowByte)
{
    const struct {
        std::int32_t value;
        std::uint8_t sent;
    } cases[] = {{0, 0}, {255, 255}, {-1, 255}, {-256, 0}, {INT32_MIN, 0}};
    for (const auto& c : cases) EXPECT_EQ(PackSiren({.repetitions = c.value})[5], c.sent) << c.value;

    EXPECT_EQ(PackSiren({.ground = true, .delay = 10, .timeOn = 60, .timeAtRest = 5, .repetitions = 3}),
              (Bytes{24, 0, 10, 60, 5, 3}));
    EXPECT_EQ(PackSiren({}), (Bytes{24, 1, 0, 0, 0, 0}));  // no button checked: float

    const Bytes answer = {24, 7, 1, 2, 3, 255};
    const auto siren = UnpackSiren(answer.data(), answer.size());
    ASSERT_TRUE(siren);
    EXPECT_FALSE(siren->ground);
    EXPECT_EQ(siren->delay, 1);
    EXPECT_EQ(siren->timeOn, 2);
    EXPECT_EQ(siren->timeAtRest, 3);
    EXPECT_EQ(siren->repetitions, 255);
    const Bytes ground = {24, 0, 0, 0, 0, 0};
    EXPECT_TRUE(UnpackSiren(ground.data(), ground.size())->ground);
    EXPECT_FALSE(UnpackSiren(answer.data(), 5));
}

TEST(ActuatorBlocks, CommonAndBuzzerPolarities)
{
    EXPECT_EQ(PackCommonOutputs({.output1Ground = true, .output2Ground = false}), (Bytes{25, 0, 1}));
    EXPECT_EQ(PackCommonOutputs({}), (Bytes{25, 1, 1}));
    EXPECT_EQ(PackBuzzer(true), (Bytes{26, 0}));
    EXPECT_EQ(PackBuzzer(false), (Bytes{26, 1}));

    const Bytes common = {25, 0, 9};
    const auto outputs = UnpackCommonOutputs(common.data(), common.size());
    ASSERT_TRUE(outputs);
    EXPECT_TRUE(outputs->output1Ground);
    EXPECT_FALSE(outputs->output2Ground);
    EXPECT_FALSE(UnpackCommonOutputs(common.data(), 2));

    const Bytes buzzer = {26, 2};
    EXPECT_EQ(UnpackBuzzer(buzzer.data(), buzzer.size()), false);
    const Bytes buzzerGround = {26, 0};
    EXPECT_EQ(UnpackBuzzer(buzzerGround.data(), buzzerGround.size()), true);
    EXPECT_EQ(UnpackBuzzer(common.data(), common.size()), std::nullopt);
}

}  // namespace
