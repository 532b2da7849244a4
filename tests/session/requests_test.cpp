// The session's typed requests against the software panel: each answered by
// its own signal, and the session alone deciding what an acknowledgement
// answers.

#include <gtest/gtest.h>

#include "core/rf/rf_sensor_record.h"
#include "answer_log.h"
#include "session_rig.h"

namespace session_test {
namespace {

TEST(SessionRequests, EachRequestIsAnsweredByItsSignal)
{
    RfSensorRecord fob;
    fob.serial = 0x1234;
    fob.kind = static_cast<std::uint8_t>(SensorKind::KeyFob);
    fob.zone = 7;
    fob.user = 2;
    const struct {
        const char* name;
        std::function<void(PanelSession&)> request;
        const char* answers;
    } cases[] = {
        {"a block", [](PanelSession& s) { s.ReadBlock(2); }, "block 2"},
        {"a block the panel does not hold", [](PanelSession& s) { s.ReadBlock(99); }, "read refused, nack"},
        {"a block written", [](PanelSession& s) { s.WriteBlock({2, 0, 30, 0, 40}); }, "write accepted, ack"},
        {"a block of the wrong length written", [](PanelSession& s) { s.WriteBlock({2, 0, 30}); },
         "write refused, nack"},
        {"an RF record", [](PanelSession& s) { s.ReadRfRecord(5); }, "record of 16"},
        {"an RF record written", [&](PanelSession& s) { s.WriteRfRecord(fob); }, "write accepted, ack"},
        // Acknowledged, but no write of the status line's.
        {"every RF record deleted", [](PanelSession& s) { s.DeleteAllRfRecords(); }, "ack"},
        {"a status page", [](PanelSession& s) { s.RequestStatusPage(16); }, "page 16"},
        {"armed with the user's code", [](PanelSession& s) { s.Arm(1234, 1); }, "write accepted, ack"},
        {"disarmed with the user's code", [](PanelSession& s) { s.Disarm(1234, 2); }, "write accepted, ack"},
        {"armed with another code", [](PanelSession& s) { s.Arm(4321, 1); }, "write refused, nack"},
    };
    for (const auto& c : cases) {
        SessionRig rig;
        ASSERT_TRUE(rig.Connect()) << c.name;
        AnswerLog log(rig.session);
        c.request(rig.session);
        Drain();
        EXPECT_EQ(log.text, c.answers) << c.name;
        EXPECT_FALSE(rig.session.WritePending()) << c.name;
    }
}

TEST(SessionRequests, WhatTheRequestsLeaveOnThePanel)
{
    SessionRig rig;
    ASSERT_TRUE(rig.Connect());
    rig.session.WriteBlock({2, 0, 30, 0, 40});
    RfSensorRecord door;
    door.serial = 0x2345;
    door.kind = static_cast<std::uint8_t>(SensorKind::Door);
    door.zone = 9;
    door.user = 1;
    rig.session.WriteRfRecord(door);
    rig.session.Arm(1234, 2);
    Drain();
    EXPECT_EQ(*rig.Panel().Block(2), (Bytes{2, 0, 30, 0, 40}));
    const std::array<std::uint8_t, kRfRecordLength> packed = PackRfSensorRecord(door);
    bool stored = false;
    for (std::size_t slot = 0; slot < sim::kRfRecordCount; ++slot) stored = stored || rig.Panel().Rf().Record(slot) == packed;
    EXPECT_TRUE(stored);
    EXPECT_TRUE(rig.Panel().Status().PartitionArmed(2));
}

// An acknowledgement does not say what it answers: the last request does.
TEST(SessionRequests, TheOutstandingRequestDecidesWhatAnAcknowledgementAnswers)
{
    SessionRig rig;
    ASSERT_TRUE(rig.Connect());
    AnswerLog log(rig.session);

    // A write the panel never answered, then a read: its refusal is the read's.
    rig.Panel().SetSilent(true);
    rig.session.WriteBlock({2, 0, 30, 0, 40});
    Drain();
    EXPECT_TRUE(rig.session.WritePending());
    rig.Panel().SetSilent(false);
    rig.session.ReadBlock(99);
    Drain();
    EXPECT_EQ(log.text, "read refused, nack");
    EXPECT_FALSE(rig.session.WritePending());

    // A status request or a deletion leaves the write outstanding.
    log.text.clear();
    rig.Panel().SetSilent(true);
    rig.session.Arm(1234, 1);
    Drain();
    rig.Panel().SetSilent(false);
    rig.session.RequestStatusPage(1);
    rig.session.DeleteAllRfRecords();
    Drain();
    EXPECT_EQ(log.text, "page 1, write accepted, ack");

    // A write with the port closed went nowhere, but is outstanding.
    ASSERT_TRUE(rig.session.ClosePort());
    rig.session.WriteBlock({2, 0, 60, 0, 40});
    EXPECT_TRUE(rig.session.WritePending());
    EXPECT_EQ(rig.Received(CommandCode::WriteBlockCommand), 1u);
}

}  // namespace
}  // namespace session_test
