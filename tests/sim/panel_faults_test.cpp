// Faults the software panel injects on demand.

#include <gtest/gtest.h>

#include "sim/panel_test_support.h"
#include "sim/virtual_panel.h"

using panel_test::Bytes;
using panel_test::Frames;

namespace {

const Bytes kIdentify = sim::EncodeFrame(140);
const Bytes kIdentification = VirtualPanel().Feed(kIdentify);

Bytes Repeat(const Bytes& frame, int times)
{
    Bytes all;
    for (int i = 0; i < times; ++i) {
        all.insert(all.end(), frame.begin(), frame.end());
    }
    return all;
}

}  // namespace

TEST(PanelFaults, NoiseGoesBetweenFramesAndLeavesThemIntact)
{
    VirtualPanel panel;
    panel.SetNoise(6);
    const Bytes out = panel.Feed(Repeat(kIdentify, 20));

    EXPECT_NE(out.front(), sim::kStartByte);  // noise comes first
    EXPECT_GT(out.size(), 20 * kIdentification.size());
    const auto frames = Frames(out);
    ASSERT_EQ(frames.size(), 20u);
    for (const auto& frame : frames) {
        EXPECT_TRUE(frame.crcOk);
        EXPECT_EQ(sim::EncodeFrame(frame.type, frame.payload), kIdentification);
    }

    panel.SetNoise(0);
    EXPECT_EQ(panel.Feed(kIdentify), kIdentification);
}

TEST(PanelFaults, WrongCrcHitsTheNextAnswerOnly)
{
    VirtualPanel panel;
    panel.CorruptNextCrc();
    EXPECT_TRUE(panel.Feed(sim::EncodeFrame(160, {0, 0, 0, 1})).empty());  // not an answer: fault waits
    EXPECT_TRUE(panel.CrcFaultPending());

    const auto frames = Frames(panel.Feed(Repeat(kIdentify, 2)));
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_FALSE(frames[0].crcOk);
    EXPECT_EQ(frames[0].payload, Frames(kIdentification)[0].payload);
    EXPECT_TRUE(frames[1].crcOk);
    EXPECT_FALSE(panel.CrcFaultPending());
}

TEST(PanelFaults, SilentPanelRecordsButNeitherActsNorAnswers)
{
    VirtualPanel panel;
    const Bytes before = *panel.Block(2);
    panel.SetSilent(true);
    EXPECT_TRUE(panel.Feed(panel_test::Concat({kIdentify, sim::EncodeFrame(131, {2, 0, 30, 0, 10})})).empty());
    EXPECT_EQ(*panel.Block(2), before);
    EXPECT_EQ(panel.CommandCount(140), 1u);
    EXPECT_EQ(panel.CommandCount(131), 1u);

    panel.SetSilent(false);
    EXPECT_EQ(panel.Feed(kIdentify), kIdentification);
}

TEST(PanelFaults, PiecewiseDeliveryKeepsTheByteStream)
{
    VirtualPanel panel;
    const Bytes output = panel.Feed(Repeat(kIdentify, 10));

    EXPECT_EQ(panel.SplitForDelivery(output), std::vector<Bytes>{output});  // off: one piece

    panel.SetChunking(3);
    const auto pieces = panel.SplitForDelivery(output);
    Bytes joined;
    for (const Bytes& piece : pieces) {
        EXPECT_GE(piece.size(), 1u);
        EXPECT_LE(piece.size(), 3u);
        joined.insert(joined.end(), piece.begin(), piece.end());
    }
    EXPECT_EQ(joined, output);
    EXPECT_GE(pieces.size(), output.size() / 3);

    // The same seed cuts the same way, so a failing run can be replayed.
    VirtualPanel replay;
    replay.Feed(Repeat(kIdentify, 10));
    replay.SetChunking(3);
    EXPECT_EQ(replay.SplitForDelivery(output), pieces);

    // A copy of a panel that has drawn since, reseeded, cuts as a fresh one.
    VirtualPanel reseeded = panel;
    reseeded.Reseed(VirtualPanel::Options{}.seed);
    EXPECT_EQ(reseeded.SplitForDelivery(output), pieces);
    EXPECT_TRUE(reseeded.DeliveryPieces(0).empty());
}
