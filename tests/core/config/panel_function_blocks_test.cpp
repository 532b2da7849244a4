// Blocks 38, 39, 40 and 42: arming rules, keypad address and partitions,
// and the alarm function's code word.

#include <gtest/gtest.h>

#include "core/config/alarm_blocks.h"
#include "core/config/keypad_blocks.h"
#include "core/config/panel_rules_blocks.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Rules = std::array<bool, kPanelRuleCount>;

TEST(PanelRules, PacksTheDelayAndOneBitPerRule)
{
    const struct {
        PanelRules rules;
        Bytes block;
    } cases[] = {
        {{255, {true, true, true, true, true}}, {38, 255, 0x00, 0x1F}},
        {{0, {}}, {38, 0, 0x00, 0x00}},
        {{-1, {true, false, true, false, false}}, {38, 255, 0x00, 0x05}},
        {{30, {false, false, false, false, true}}, {38, 30, 0x00, 0x10}},
    };
    for (const auto& c : cases) EXPECT_EQ(PackPanelRules(c.rules), c.block) << int{c.block[1]};
}

TEST(PanelRules, UnpacksOnlyTheFiveRuleBits)
{
    const struct {
        Bytes answer;
        Rules rules;
    } cases[] = {
        {{38, 30, 0xFF, 0xE0}, {}},
        {{38, 30, 0xFF, 0xFF}, {true, true, true, true, true}},
        {{38, 30, 0x00, 0x12}, {false, true, false, false, true}},
    };
    for (const auto& c : cases) {
        const auto rules = UnpackPanelRules(c.answer.data(), c.answer.size());
        ASSERT_TRUE(rules);
        EXPECT_EQ(rules->armingDelay, 30);
        EXPECT_EQ(rules->rules, c.rules) << std::hex << int{c.answer[2]} << int{c.answer[3]};
    }
    const Bytes five{38, 30, 0, 0, 0};
    EXPECT_FALSE(UnpackPanelRules(five.data(), 3));
    EXPECT_FALSE(UnpackPanelRules(five.data(), 5));
}

TEST(KeypadAddress, TravelsAsItemIndexWithNoSelectionAs255)
{
    EXPECT_EQ(PackKeypadAddress(-1), (Bytes{39, 255}));
    EXPECT_EQ(PackKeypadAddress(7), (Bytes{39, 7}));
    const struct {
        std::uint8_t byte;
        int index;
    } cases[] = {{0, 0}, {7, 7}, {8, -1}, {255, -1}};
    for (const auto& c : cases) {
        const Bytes answer{39, c.byte};
        EXPECT_EQ(UnpackKeypadAddress(answer.data(), answer.size()), c.index) << int{c.byte};
    }
    const Bytes three{39, 0, 0};
    EXPECT_FALSE(UnpackKeypadAddress(three.data(), 1));
    EXPECT_FALSE(UnpackKeypadAddress(three.data(), 3));
}

TEST(KeypadPartitions, KeypadOneIsAlwaysWrittenInPartitionOne)
{
    EXPECT_EQ(PackKeypadPartitions({0, 0, 0, 0, 0, 0, 0}), (Bytes{40, 1, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(PackKeypadPartitions({-1, -1, -1, -1, -1, -1, -1}),
              (Bytes{40, 1, 255, 255, 255, 255, 255, 255, 255}));
    EXPECT_EQ(PackKeypadPartitions({0, 1, 2, 3, -1, 1, 2}), (Bytes{40, 1, 0, 1, 2, 3, 255, 1, 2}));
}

TEST(KeypadPartitions, UnpacksKeypadsTwoToEight)
{
    // Keypad 1's byte is never shown, whatever it holds.
    const Bytes answer{40, 9, 255, 3, 4, 0, 1, 2, 3};
    EXPECT_EQ(UnpackKeypadPartitions(answer.data(), answer.size()),
              (KeypadPartitions{-1, 3, -1, 0, 1, 2, 3}));
    Bytes ten = answer;
    ten.push_back(0);
    EXPECT_FALSE(UnpackKeypadPartitions(answer.data(), 8));
    EXPECT_FALSE(UnpackKeypadPartitions(ten.data(), ten.size()));
}

TEST(AlarmFunction, OnlyItsCodeWordSwitchesItOn)
{
    EXPECT_EQ(PackAlarmFunction(true), (Bytes{42, 0x7F, 0x3A}));
    EXPECT_EQ(PackAlarmFunction(false), (Bytes{42, 0x00, 0x00}));
    const struct {
        Bytes answer;
        std::optional<bool> enabled;
    } cases[] = {
        {{42, 0x7F, 0x3A}, true},
        {{42, 0x7F, 0x3B}, false},
        {{42, 0x00, 0x00}, false},
        {{42, 0x7D, 0x5A}, false},  // the safe's code
        {{42, 0x3A, 0x7F}, false},
        {{42, 0x7F}, std::nullopt},
        {{42, 0x7F, 0x3A, 0}, std::nullopt},
        {{41, 0x7F, 0x3A}, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UnpackAlarmFunction(c.answer.data(), c.answer.size()), c.enabled) << c.answer.size();
    }
}

}  // namespace
