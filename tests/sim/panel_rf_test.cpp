// The software panel's radio side: the sensor table, listening mode and the
// reports a listening panel sends on its own.

#include <gtest/gtest.h>

#include "sim/panel_test_support.h"
#include "sim/panel_trace.h"
#include "sim/virtual_panel.h"

using panel_test::Bytes;
using panel_test::Frames;

namespace {

const Bytes kAck = sim::EncodeFrame(sim::kAckFrame);
const Bytes kNack = sim::EncodeFrame(sim::kNackFrame);

Bytes SensorCommand(uint8_t subcommand, const Bytes& rest = {})
{
    Bytes payload(17, 0);
    payload[0] = subcommand;
    std::copy(rest.begin(), rest.end(), payload.begin() + 1);
    return sim::EncodeFrame(sim::kRfSensorCommand, payload);
}
Bytes ReadRecord(uint16_t index)
{
    return SensorCommand(2, {static_cast<uint8_t>(index >> 8), static_cast<uint8_t>(index)});
}
Bytes Learn(uint8_t mode)
{
    return sim::EncodeFrame(sim::kRfLearnCommand, {mode});
}

const Bytes kFreeRecord(16, 0xFF);
const Bytes kNewFob = {0x0A, 0xBC, 0xDE, 3, 255, 4, 255, 12, 0x00, 0x07, 0x00, 0x02, 255, 255, 255, 255};

TEST(PanelRf, RecordsAreReadWrittenAndDeletedByteExact)
{
    VirtualPanel panel;
    const auto first = Frames(panel.Feed(ReadRecord(0)));
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].type, sim::kSensorRecordFrame);
    EXPECT_EQ(first[0].payload.size(), 16u);
    EXPECT_EQ(Frames(panel.Feed(ReadRecord(2047))).at(0).payload, kFreeRecord);
    const size_t factory = panel.Rf().EnrolledCount();
    ASSERT_EQ(factory, 2u);

    // A new serial takes the first free slot; the same serial again replaces it.
    EXPECT_EQ(panel.Feed(SensorCommand(1, kNewFob)), kAck);
    EXPECT_EQ(Frames(panel.Feed(ReadRecord(2))).at(0).payload, kNewFob);
    Bytes moved = kNewFob;
    moved[9] = 0x63;
    EXPECT_EQ(panel.Feed(SensorCommand(1, moved)), kAck);
    EXPECT_EQ(Frames(panel.Feed(ReadRecord(2))).at(0).payload, moved);
    EXPECT_EQ(panel.Rf().EnrolledCount(), factory + 1);

    EXPECT_EQ(panel.Feed(SensorCommand(6)), kAck);
    EXPECT_EQ(panel.Rf().EnrolledCount(), 0u);
    EXPECT_EQ(Frames(panel.Feed(ReadRecord(0))).at(0).payload, kFreeRecord);
}

TEST(PanelRf, RefusesWhatItCannotStore)
{
    VirtualPanel panel;
    Bytes noSerial = kNewFob;
    noSerial[0] = noSerial[1] = noSerial[2] = 0;
    Bytes bigSerial = kNewFob;
    bigSerial[0] = 0x40;
    Bytes shortCommand(16, 0);
    shortCommand[0] = 2;
    const Bytes refused[] = {
        ReadRecord(2048), ReadRecord(0xFFFE), SensorCommand(1, noSerial), SensorCommand(1, bigSerial),
        SensorCommand(3), sim::EncodeFrame(sim::kRfSensorCommand, shortCommand),
        Learn(9), sim::EncodeFrame(sim::kRfLearnCommand, {7, 7}), sim::EncodeFrame(sim::kRfLearnCommand),
    };
    for (const Bytes& request : refused) EXPECT_EQ(panel.Feed(request), kNack) << sim::HexBytes(request);
    EXPECT_EQ(panel.Rf().EnrolledCount(), 2u);
    EXPECT_FALSE(panel.Rf().Listening());

    // A full table takes no new serial.
    sim::RfRecord taken{};
    for (size_t i = 0; i < sim::kRfRecordCount; ++i) {
        taken[2] = static_cast<uint8_t>(i);
        taken[1] = static_cast<uint8_t>(i >> 8);
        taken[0] = 1;
        panel.Rf().SetRecord(i, taken);
    }
    EXPECT_EQ(panel.Feed(SensorCommand(1, kNewFob)), kNack);
}

TEST(PanelRf, ReportsTriggeredSensorsOnlyWhileListening)
{
    VirtualPanel panel;
    EXPECT_FALSE(panel.TriggerRfSensor(0x12345A));
    EXPECT_TRUE(panel.Tick().empty());

    EXPECT_EQ(panel.Feed(Learn(7)), kAck);
    EXPECT_TRUE(panel.Rf().Listening());
    EXPECT_TRUE(panel.TriggerRfSensor(0x12345A));
    EXPECT_EQ(panel.TakeUnsolicited(), sim::EncodeFrame(sim::kRfCodeReportFrame, {0x12, 0x34, 0x5A}));
    EXPECT_TRUE(panel.TakeUnsolicited().empty());
    // A report queued on demand also leaves with the next tick.
    EXPECT_TRUE(panel.TriggerRfSensor(0x000011));
    EXPECT_EQ(Frames(panel.Tick()).size(), 1u);
    for (int tick = 0; tick < 10; ++tick) EXPECT_TRUE(panel.Tick().empty());  // no automatic triggers

    EXPECT_TRUE(panel.Feed(Learn(8)).empty());
    EXPECT_FALSE(panel.Rf().Listening());
    EXPECT_FALSE(panel.TriggerRfSensor(0x12345A));

    // A silent panel hears the sensor but says nothing.
    panel.Feed(Learn(7));
    panel.SetSilent(true);
    EXPECT_FALSE(panel.TriggerRfSensor(0x12345A));
    EXPECT_TRUE(panel.TakeUnsolicited().empty());
}

TEST(PanelRf, AutomaticTriggersComeThreeAndFiveTicksAfterListeningStarts)
{
    VirtualPanel::Options options;
    options.autoTriggerRf = true;
    VirtualPanel panel(options);
    for (int tick = 0; tick < 8; ++tick) EXPECT_TRUE(panel.Tick().empty());  // not listening

    auto session = [&panel] {
        EXPECT_EQ(panel.Feed(Learn(7)), kAck);
        std::string timeline;
        std::vector<Bytes> codes;
        for (int tick = 1; tick <= 10; ++tick) {
            const auto frames = Frames(panel.Tick());
            timeline += frames.empty() ? '.' : 'R';
            for (const auto& frame : frames) {
                EXPECT_EQ(frame.type, sim::kRfCodeReportFrame);
                codes.push_back(frame.payload);
            }
        }
        EXPECT_EQ(timeline, "..R.R.....");
        panel.Feed(Learn(8));
        return codes;
    };
    const auto first = session();
    ASSERT_EQ(first.size(), 2u);
    ASSERT_EQ(first[0].size(), 3u);
    // Same upper 20 bits, other low 4 bits.
    EXPECT_EQ(first[0][0], first[1][0]);
    EXPECT_EQ(first[0][1], first[1][1]);
    EXPECT_EQ(first[0][2] & 0xF0, first[1][2] & 0xF0);
    EXPECT_NE(first[0][2] & 0x0F, first[1][2] & 0x0F);

    const auto second = session();
    ASSERT_EQ(second.size(), 2u);
    EXPECT_NE(second[0], first[0]);  // another sensor each time
}

}  // namespace
