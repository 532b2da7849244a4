// The awaited exchange the command-line tool runs, against the software
// panel in memory: an answer, a refusal, a line that stays silent (asked
// three times), an answer of the wrong length (no answer), and the faults
// of the line. Only the silent cases wait, for three short time-outs.

#include <gtest/gtest.h>

#include "core/diagnostics/status_pages.h"
#include "session/panel_exchange.h"
#include "session_rig.h"

namespace session_test {
namespace {

constexpr PanelExchange::Options kQuick{.answerTimeoutMs = 10, .attempts = 3};

using Outcome = PanelExchange::Outcome;

TEST(BlockExchange, ReadsAndWrites)
{
    const struct {
        const char* name;
        std::function<void(VirtualPanel&)> setup;
        bool write;  // else a read of block 2
        Bytes written;
        Outcome outcome;
        std::size_t requests;  // how many times it was asked
    } cases[] = {
        {"read", [](VirtualPanel&) {}, false, {}, Outcome::Done, 1},
        {"read, answered in single bytes", [](VirtualPanel& p) { p.SetChunking(1); }, false, {}, Outcome::Done, 1},
        {"read, noise before the answer", [](VirtualPanel& p) { p.SetNoise(9); }, false, {}, Outcome::Done, 1},
        {"read, the first answer's CRC wrong", [](VirtualPanel& p) { p.CorruptNextCrc(); }, false, {}, Outcome::Done, 2},
        {"read refused", [](VirtualPanel& p) { p.RemoveBlock(2); }, false, {}, Outcome::Refused, 1},
        {"read of a silent panel", [](VirtualPanel& p) { p.SetSilent(true); }, false, {}, Outcome::NoAnswer, 3},
        {"read answered with 4 bytes of 5", [](VirtualPanel& p) { p.SetBlock({2, 0, 1, 0}); }, false, {},
         Outcome::NoAnswer, 3},
        {"read answered with 6 bytes of 5", [](VirtualPanel& p) { p.SetBlock({2, 0, 1, 0, 1, 0}); }, false, {},
         Outcome::NoAnswer, 3},
        {"write accepted", [](VirtualPanel&) {}, true, {2, 0, 30, 0, 40}, Outcome::Done, 1},
        {"write refused", [](VirtualPanel&) {}, true, {2, 0, 30}, Outcome::Refused, 1},
        {"write to a silent panel", [](VirtualPanel& p) { p.SetSilent(true); }, true, {2, 0, 30, 0, 40},
         Outcome::NoAnswer, 3},
    };
    for (const auto& c : cases) {
        SessionRig rig;
        ASSERT_TRUE(rig.Connect()) << c.name;
        c.setup(rig.Panel());
        PanelExchange exchange(rig.session, kQuick);
        const Bytes before = rig.Panel().Block(2).value_or(Bytes{});
        if (c.write) {
            EXPECT_EQ(exchange.WriteBlock(c.written), c.outcome) << c.name;
            EXPECT_EQ(rig.Received(CommandCode::WriteBlockCommand), c.requests) << c.name;
            EXPECT_EQ(*rig.Panel().Block(2), c.outcome == Outcome::Done ? c.written : before) << c.name;
        } else {
            const PanelExchange::Read read = exchange.ReadBlock(2);
            EXPECT_EQ(read.outcome, c.outcome) << c.name;
            EXPECT_EQ(read.block, c.outcome == Outcome::Done ? before : Bytes{}) << c.name;
            EXPECT_EQ(rig.Received(CommandCode::ReadBlockCommand), c.requests) << c.name;
        }
    }
}

TEST(BlockExchange, RfRecordsAndIdentification)
{
    SessionRig rig({.serial = 99});
    ASSERT_TRUE(rig.Connect());
    PanelExchange exchange(rig.session, kQuick);
    sim::RfRecord record{};
    record.fill(7);
    rig.Panel().Rf().SetRecord(2047, record);
    const PanelExchange::Read read = exchange.ReadRfRecord(2048);
    EXPECT_EQ(read.outcome, Outcome::Done);
    EXPECT_EQ(read.block, Bytes(record.begin(), record.end()));
    const std::optional<Identification> identity = exchange.Identify();
    ASSERT_TRUE(identity);
    EXPECT_EQ(identity->serial, 99u);
}

// The exchange takes only the answer to its own request: another block read
// meanwhile (a tab, the library window) is left alone; a status page comes
// whole; an identification already on its way is not asked for twice.
TEST(BlockExchange, TakesOnlyItsOwnAnswer)
{
    SessionRig rig;
    ASSERT_TRUE(rig.Connect());
    PanelExchange exchange(rig.session, kQuick);

    rig.session.ReadBlock(6);  // answered first, while block 2 is awaited
    const PanelExchange::Read block = exchange.ReadBlock(2);
    EXPECT_EQ(block.outcome, Outcome::Done);
    EXPECT_EQ(block.block, rig.Panel().Block(2).value_or(Bytes{}));

    const PanelExchange::Read page = exchange.ReadStatusPage(1);
    EXPECT_EQ(page.outcome, Outcome::Done);
    ASSERT_FALSE(page.block.empty());
    EXPECT_EQ(page.block.front(), 1);
    EXPECT_EQ(page.block.size(), StatusPageLength(1));

    const std::size_t asked = rig.Received(CommandCode::IdentifyCommand);
    rig.session.Identify();
    EXPECT_TRUE(exchange.Identify(/*sentOnOpen=*/true));
    EXPECT_EQ(rig.Received(CommandCode::IdentifyCommand), asked + 1);
}

// With the port closed nothing is asked and nothing earlier is taken for
// an answer.
TEST(BlockExchange, AClosedPortAnswersNothing)
{
    SessionRig rig;
    ASSERT_TRUE(rig.Connect());
    PanelExchange exchange(rig.session, kQuick);
    ASSERT_EQ(exchange.ReadBlock(2).outcome, Outcome::Done);
    rig.session.ClosePort();
    const PanelExchange::Read read = exchange.ReadBlock(2);
    EXPECT_EQ(read.outcome, Outcome::NoAnswer);
    EXPECT_TRUE(read.block.empty());
    EXPECT_EQ(exchange.WriteBlock({2, 0, 30, 0, 40}), Outcome::NoAnswer);
    EXPECT_EQ(rig.Received(CommandCode::ReadBlockCommand), 1u);
    EXPECT_EQ(rig.Received(CommandCode::WriteBlockCommand), 0u);
}

// A port that fails or closes mid-exchange ends it at once, unanswered.
TEST(BlockExchange, APortLostEndsTheExchange)
{
    SessionRig rig;
    ASSERT_TRUE(rig.Connect());
    rig.Panel().SetSilent(true);
    PanelExchange exchange(rig.session, {.answerTimeoutMs = 60000, .attempts = 3});
    QMetaObject::invokeMethod(rig.link, [&] { rig.session.ClosePort(); }, Qt::QueuedConnection);
    EXPECT_EQ(exchange.ReadBlock(2).outcome, Outcome::NoAnswer);
    EXPECT_EQ(rig.Received(CommandCode::ReadBlockCommand), 1u);
}

}  // namespace
}  // namespace session_test
