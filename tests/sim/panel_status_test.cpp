// The software panel's status pages and its armed state.

#include <gtest/gtest.h>

#include <set>

#include "sim/panel_test_support.h"
#include "sim/virtual_panel.h"

using panel_test::Bytes;
using panel_test::Frames;

namespace {

uint16_t Get16(const Bytes& p, size_t at) { return static_cast<uint16_t>(p[at] << 8 | p[at + 1]); }
uint32_t Get32(const Bytes& p, size_t at) { return uint32_t{Get16(p, at)} << 16 | Get16(p, at + 2); }

// The one status frame the panel answers a request with, or an empty payload.
Bytes RequestPage(VirtualPanel& panel, Bytes request)
{
    const auto frames = Frames(panel.Feed(sim::EncodeFrame(sim::kStatusRequestCommand, request)));
    if (frames.empty()) return {};
    EXPECT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].type, sim::kStatusFrame);
    EXPECT_TRUE(frames[0].crcOk);
    return frames[0].payload;
}

uint8_t ArmAnswer(VirtualPanel& panel, uint8_t command, uint16_t code, uint8_t partition)
{
    const auto frames = Frames(panel.Feed(
        sim::EncodeFrame(command, {static_cast<uint8_t>(code >> 8), static_cast<uint8_t>(code), partition})));
    return frames.size() == 1 ? frames[0].type : 0;
}

TEST(PanelStatus, EveryPageAtItsLengthWithTheIdentityAndClock)
{
    VirtualPanel::Options options;
    options.model = 56;
    options.version = 0x23;
    options.serial = 0x80000007;
    VirtualPanel panel(options);
    panel.Feed(sim::EncodeFrame(sim::kSetTimeCommand, {0x69, 0x38, 0xF5, 0x40}));
    panel.Tick();
    panel.Tick();
    const std::pair<uint8_t, size_t> pages[] = {{1, 29},  {16, 45}, {5, 46},  {8, 40},  {10, 24},  {6, 28},
                                                {21, 44}, {22, 45}, {23, 13}, {24, 55}, {25, 27}, {27, 111}};
    for (const auto& [page, length] : pages) {
        const Bytes p = RequestPage(panel, {page});
        ASSERT_EQ(p.size(), length) << int{page};
        EXPECT_EQ(p[0], page);
        EXPECT_EQ(p[1], 56);
        EXPECT_EQ(p[2], 0x23);
        EXPECT_EQ(Get32(p, 3), 0x80000007u);
        EXPECT_EQ(Get32(p, 7), 0x6938F542u) << "the clock it was set to, two seconds on";
    }
    // Pages it does not have, and malformed requests, go unanswered.
    for (const Bytes& request : {Bytes{2}, Bytes{0}, Bytes{255}, Bytes{}, Bytes{1, 1}}) {
        EXPECT_TRUE(RequestPage(panel, request).empty()) << request.size();
    }
}

TEST(PanelStatus, ValuesLiveOverTime)
{
    VirtualPanel panel;
    const Bytes modem0 = RequestPage(panel, {8});
    const Bytes queue0 = RequestPage(panel, {6});
    const Bytes radio0 = RequestPage(panel, {21});
    const Bytes temperature0 = RequestPage(panel, {27});
    std::set<uint16_t> signals{Get16(modem0, 23)};
    for (int second = 0; second < 20; ++second) {
        panel.Tick();
        const uint16_t signal = Get16(RequestPage(panel, {8}), 23);
        EXPECT_GE(signal, 2);
        EXPECT_LE(signal, 31);
        signals.insert(signal);
    }
    EXPECT_GE(signals.size(), 5u) << "the signal level drifts";
    EXPECT_EQ(Get16(RequestPage(panel, {6}), 11), Get16(queue0, 11) + 20);
    EXPECT_GT(Get32(RequestPage(panel, {21}), 32), Get32(radio0, 32));
    EXPECT_NE(RequestPage(panel, {27}), temperature0);
    const Bytes temperatures = RequestPage(panel, {27});
    EXPECT_EQ(Get16(temperatures, 11 + 20), 0xFFFE) << "one sensor reports a fault";
    EXPECT_EQ(Get16(temperatures, 11 + 30), 0xFFFF) << "the rest are not enabled";
    EXPECT_NE(Get16(temperatures, 11 + 10) & 0x8000, 0) << "a freezer below zero";
}

TEST(PanelStatus, ArmAndDisarmNeedTheUserCode)
{
    VirtualPanel panel;
    EXPECT_EQ(panel.Status().UserCode(), 1234);
    EXPECT_EQ(Get16(RequestPage(panel, {1}), 11), 0);

    EXPECT_EQ(ArmAnswer(panel, sim::kArmCommand, 1235, 1), sim::kNackFrame);
    EXPECT_EQ(ArmAnswer(panel, sim::kArmCommand, 1234, 0), sim::kNackFrame);
    EXPECT_EQ(ArmAnswer(panel, sim::kArmCommand, 1234, 4), sim::kNackFrame);
    EXPECT_FALSE(panel.Status().AnyPartitionArmed());

    EXPECT_EQ(ArmAnswer(panel, sim::kArmCommand, 1234, 2), sim::kAckFrame);
    EXPECT_TRUE(panel.Status().PartitionArmed(2));
    EXPECT_FALSE(panel.Status().PartitionArmed(1));
    EXPECT_EQ(Get16(RequestPage(panel, {1}), 11), 0x257D);
    EXPECT_EQ(RequestPage(panel, {23})[12], 2) << "partition 2 shows armed on the bus";
    EXPECT_EQ(RequestPage(panel, {25})[13], 2) << "keypad 3 sits on partition 2";

    EXPECT_EQ(ArmAnswer(panel, sim::kDisarmCommand, 4321, 2), sim::kNackFrame);
    EXPECT_TRUE(panel.Status().PartitionArmed(2));
    EXPECT_EQ(ArmAnswer(panel, sim::kDisarmCommand, 1234, 2), sim::kAckFrame);
    EXPECT_EQ(Get16(RequestPage(panel, {1}), 11), 0);

    // A request of the wrong length is refused whatever it holds.
    const auto frames = Frames(panel.Feed(sim::EncodeFrame(sim::kArmCommand, {0x04, 0xD2})));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].type, sim::kNackFrame);

    panel.Status().SetUserCode(0x0102);
    EXPECT_EQ(ArmAnswer(panel, sim::kArmCommand, 0x0102, 1), sim::kAckFrame);
}

}  // namespace
