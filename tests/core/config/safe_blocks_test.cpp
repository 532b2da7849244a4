// The temperature word and block 41 of the safe function.

#include <gtest/gtest.h>

#include "core/config/safe_blocks.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Check = TemperatureCheck;

TEST(Temperature, EncodesTheTypedValueRoundedToTheNearestTenth)
{
    const struct {
        const char* text;
        Check check;
        std::uint16_t word;
    } cases[] = {
        {"125", Check::Accepted, 0x04E2},
        {"125.0", Check::Accepted, 0x04E2},
        {"125.1", Check::OutOfRange, 0},
        {"125.04", Check::OutOfRange, 0},  // the range is on the typed value, not the rounded one
        {"-55", Check::Accepted, 0x8226},
        {"-55.1", Check::OutOfRange, 0},
        {"-55.04", Check::OutOfRange, 0},
        {"2.3", Check::Accepted, 23},  // not 22: no single-precision truncation
        {"-12.7", Check::Accepted, 0x807F},
        {"12,5", Check::Accepted, 125},  // a comma is a decimal separator too
        {"-0,5", Check::Accepted, 0x8005},
        {"0.05", Check::Accepted, 1},  // halves round away from zero
        {"-0.15", Check::Accepted, 0x8002},
        {"0.04", Check::Accepted, 0},
        {"-0.04", Check::Accepted, 0},  // no negative zero on the wire
        {" +7", Check::Accepted, 70},
        {"5.", Check::Accepted, 50},
        {".5", Check::Accepted, 5},
        {"1.25e1", Check::Accepted, 125},
        {"1e", Check::Accepted, 10},        // a bare exponent letter ends the number
        {"30abc", Check::Accepted, 300},    // text after the number is ignored
        {"1.2.3", Check::Accepted, 12},
        {"0e999999", Check::Accepted, 0},
        {"1e-400", Check::Accepted, 0},     // too small to tell from zero
        {"", Check::OutOfRange, 0},
        {"abc", Check::OutOfRange, 0},      // refused like an empty field, never sent as 0.0
        {"   ", Check::OutOfRange, 0},
        {"-", Check::OutOfRange, 0},
        {".", Check::OutOfRange, 0},
        {"- 5", Check::OutOfRange, 0},
        {"3e38", Check::OutOfRange, 0},
        {"1e39", Check::Unreadable, 0},     // past single precision
        {"-9e99", Check::Unreadable, 0},
        {"4e38", Check::Unreadable, 0},
        {"3.4e38", Check::OutOfRange, 0},   // still below the largest single
    };
    for (const auto& c : cases) {
        const TemperatureEntry entry = EncodeTemperature(c.text);
        EXPECT_EQ(entry.check, c.check) << '"' << c.text << '"';
        if (c.check == Check::Accepted) {
            EXPECT_EQ(entry.word, c.word) << '"' << c.text << '"';
        }
    }
}

TEST(Temperature, DecodesSignAndMagnitude)
{
    const struct {
        std::uint16_t word;
        const char* text;
    } cases[] = {
        {0x04E2, "125.0"}, {0x8226, "-55.0"}, {0x0017, "2.3"},  {0x0000, "0.0"},
        {0x8000, "0.0"},   {0x8001, "-0.1"},  {0x74E2, "125.0"} /* bits 12..14 ignored */,
        {0x04E3, "0.0"},   {0x0FFF, "0.0"},   {0x8FFF, "0.0"},
    };
    for (const auto& c : cases) EXPECT_EQ(DecodeTemperature(c.word), c.text) << std::hex << c.word;
}

TEST(Temperature, EveryWordInRangeSurvivesShowingAndTyping)
{
    for (std::int32_t tenths = kMinTemperatureTenths; tenths <= kMaxTemperatureTenths; ++tenths) {
        const auto word = static_cast<std::uint16_t>(tenths < 0 ? 0x8000 | -tenths : tenths);
        const TemperatureEntry back = EncodeTemperature(DecodeTemperature(word));
        ASSERT_EQ(back.check, Check::Accepted) << tenths;
        ASSERT_EQ(back.word, word) << tenths;
    }
}

TEST(SafeFunction, PacksTheTwelveBytes)
{
    SafeFunction safe;
    safe.enabled = true;
    safe.maxTemperature = 0x04E2;
    safe.minTemperature = 0x8226;
    safe.maxDebounce = 255;
    safe.minDebounce = -1;
    safe.longestOpen = 65535;
    EXPECT_EQ(PackSafeFunction(safe), (Bytes{41, 0x7D, 0x5A, 0, 0x04, 0xE2, 0x82, 0x26, 255, 255, 0xFF, 0xFF}));

    safe = {};
    safe.floatingActuator = true;
    safe.maxDebounce = 256;
    safe.longestOpen = 70000;
    EXPECT_EQ(PackSafeFunction(safe), (Bytes{41, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0x11, 0x70}));
}

TEST(SafeFunction, UnpacksOnlyTheEnableCodeAsEnabled)
{
    const struct {
        Bytes answer;
        bool enabled;
        bool floating;
    } cases[] = {
        {{41, 0x7D, 0x5A, 0, 0x04, 0xE2, 0x82, 0x26, 10, 20, 0xFF, 0xFE}, true, false},
        {{41, 0x7D, 0x5B, 1, 0x04, 0xE2, 0x82, 0x26, 10, 20, 0xFF, 0xFE}, false, true},
        {{41, 0x5A, 0x7D, 7, 0x04, 0xE2, 0x82, 0x26, 10, 20, 0xFF, 0xFE}, false, true},
        {{41, 0x7F, 0x3A, 0, 0x04, 0xE2, 0x82, 0x26, 10, 20, 0xFF, 0xFE}, false, false},  // the alarm's code
    };
    for (const auto& c : cases) {
        const auto safe = UnpackSafeFunction(c.answer.data(), c.answer.size());
        ASSERT_TRUE(safe);
        EXPECT_EQ(safe->enabled, c.enabled);
        EXPECT_EQ(safe->floatingActuator, c.floating);
        EXPECT_EQ(safe->maxTemperature, 0x04E2);
        EXPECT_EQ(safe->minTemperature, 0x8226);
        EXPECT_EQ(safe->maxDebounce, 10);
        EXPECT_EQ(safe->minDebounce, 20);
        EXPECT_EQ(safe->longestOpen, 65534);
    }
    const Bytes answer = cases[0].answer;
    EXPECT_FALSE(UnpackSafeFunction(answer.data(), 11));
    EXPECT_FALSE(UnpackSafeFunction(nullptr, 12));
    Bytes longer = answer;
    longer.push_back(0);
    EXPECT_FALSE(UnpackSafeFunction(longer.data(), longer.size()));
    Bytes otherBlock = answer;
    otherBlock[0] = 42;
    EXPECT_FALSE(UnpackSafeFunction(otherBlock.data(), otherBlock.size()));
}

}  // namespace
