// The session's link to the panel: opening, identification through the
// faults of the line, the supervision's repeated request, failures, and the
// one check of a payload's length.

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <fstream>
#include <regex>
#include <string>

#include "core/link/frame.h"
#include "session/clock.h"
#include "session/frame_trace_file.h"
#include "session/panel_session.h"
#include "session_rig.h"

namespace session_test {
namespace {

// The panel's answers as a line may deliver them: noise before each (1 to
// `noise` bytes), cut in pieces of 1 to `pieces` bytes.
struct LineFault {
    const char* name;
    std::size_t noise;
    std::size_t pieces;
};
constexpr LineFault kLineFaults[] = {
    {"clean", 0, 0},
    {"answers in pieces of 1 to 3 bytes", 0, 3},
    {"answers in single bytes", 0, 1},
    {"noise before each answer", 5, 0},
    {"noise and pieces", 7, 2},
};

TEST(PanelSessionLink, IdentificationCrossesTheLineThroughItsFaults)
{
    for (const LineFault& c : kLineFaults) {
        SessionRig rig({.model = 56, .version = 0x21, .serial = 77});
        rig.Panel().SetNoise(c.noise);
        rig.Panel().SetChunking(c.pieces);
        QSignalSpy identified(&rig.session, &PanelSession::Identified);
        ASSERT_TRUE(rig.Connect()) << c.name;
        ASSERT_EQ(identified.count(), 1) << c.name;
        const auto identity = identified[0][0].value<Identification>();
        EXPECT_EQ(identity.model, 56) << c.name;
        EXPECT_EQ(identity.version, 0x21) << c.name;
        EXPECT_EQ(identity.serial, 77u) << c.name;
        EXPECT_EQ(rig.session.ModelCode(), 56) << c.name;
    }
}

// The trace accounts for the bytes received: frames, and the noise the
// assembler dropped, which clean traffic in any pieces never shows.
TEST(PanelSessionLink, TheTraceSaysWhatWasDropped)
{
    for (const LineFault& c : kLineFaults) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("trace.txt"));
        SystemClock clock;
        FrameTraceFile trace(clock);
        ASSERT_TRUE(trace.Open(path)) << c.name;
        SessionRig rig;
        rig.session.SetTrace(&trace);
        rig.Panel().SetNoise(c.noise);
        rig.Panel().SetChunking(c.pieces);
        ASSERT_TRUE(rig.Connect()) << c.name;
        rig.session.ReadBlock(2);
        ASSERT_TRUE(Settle([&] { return rig.Received(CommandCode::ReadBlockCommand) == 1; })) << c.name;
        Drain();
        rig.session.SetTrace(nullptr);

        std::ifstream in(path.toStdString());
        std::size_t answers = 0;
        std::size_t dropped = 0;
        const std::regex droppedLine(R"( <- dropped (\d+) bytes?$)");
        for (std::string line; std::getline(in, line);) {
            std::smatch match;
            if (std::regex_search(line, match, droppedLine)) {
                EXPECT_NE(match[1], "0") << c.name << ": " << line;
                dropped += std::stoul(match[1]);
            } else if (line.find(" <- ") != std::string::npos) {
                ++answers;
            }
        }
        EXPECT_EQ(answers, 2u) << c.name;  // the identification and the block
        // From 1 to `noise` bytes of noise before each answer.
        if (c.noise == 0) {
            EXPECT_EQ(dropped, 0u) << c.name;
        } else {
            EXPECT_GE(dropped, answers) << c.name;
            EXPECT_LE(dropped, c.noise * answers) << c.name;
        }
    }
}

// A listener may run the event loop (a window's box): answers that arrive
// meanwhile wait for it to return, and reach every listener in order.
TEST(PanelSessionLink, AListenerRunningTheEventLoopKeepsTheAnswersInOrder)
{
    SessionRig rig;
    ASSERT_TRUE(rig.Connect());
    std::string order;
    QObject::connect(&rig.session, &PanelSession::BlockRead, [&](const std::vector<std::uint8_t>& block) {
        const std::string id = std::to_string(block.front());
        order += "begin" + id + ' ';
        if (block.front() == 2) Drain();
        order += "end" + id + ' ';
    });
    rig.session.ReadBlock(2);
    rig.session.ReadBlock(6);
    ASSERT_TRUE(Settle([&] { return order.find("end6") != std::string::npos; })) << order;
    EXPECT_EQ(order, "begin2 end2 begin6 end6 ");
}

TEST(PanelSessionLink, ALostIdentificationIsAskedForAgainOnTheFifthTick)
{
    const struct {
        const char* name;
        std::function<void(VirtualPanel&)> fault;
        bool connected;  // after the fifth tick
    } cases[] = {
        {"wrong CRC on the first answer", [](VirtualPanel& p) { p.CorruptNextCrc(); }, true},
        {"a silent panel", [](VirtualPanel& p) { p.SetSilent(true); }, false},
    };
    for (const auto& c : cases) {
        SessionRig rig;
        c.fault(rig.Panel());
        ASSERT_EQ(rig.session.OpenPort(3, 115200), PanelSession::OpenResult::Opened);
        Drain();
        EXPECT_FALSE(rig.session.IsEquipmentConnected()) << c.name;
        for (int tick = 1; tick <= 4; ++tick) rig.session.Tick();
        Drain();
        EXPECT_EQ(rig.Received(CommandCode::IdentifyCommand), 1u) << c.name;
        rig.session.Tick();
        EXPECT_EQ(rig.Received(CommandCode::IdentifyCommand), 2u) << c.name;
        EXPECT_EQ(Settle([&] { return rig.session.IsEquipmentConnected(); }, 50), c.connected) << c.name;
    }
}

TEST(PanelSessionLink, OpeningClosingAndFailing)
{
    SessionRig rig;
    EXPECT_EQ(rig.session.OpenPort(0, 9600), PanelSession::OpenResult::InvalidNumber);
    rig.link->RefuseOpen(true);
    EXPECT_EQ(rig.session.OpenPort(3, 9600), PanelSession::OpenResult::Failed);
    EXPECT_FALSE(rig.session.IsPortOpen());
    rig.link->RefuseOpen(false);

    QSignalSpy opened(&rig.session, &PanelSession::PortOpened);
    QSignalSpy closed(&rig.session, &PanelSession::PortClosed);
    QSignalSpy failed(&rig.session, &PanelSession::PortFailed);
    ASSERT_TRUE(rig.Connect());
    EXPECT_EQ(opened.count(), 1);
    EXPECT_EQ(rig.session.ComNumber(), 3);
    EXPECT_EQ(rig.session.Baud(), 115200);

    // A vanished device: the owner hears of it once and closes the port.
    rig.link->Fail(false);
    ASSERT_EQ(failed.count(), 1);
    EXPECT_FALSE(failed[0][0].toBool());
    EXPECT_FALSE(rig.session.Send(MakeOutgoing(CommandCode::IdentifyCommand)));
    EXPECT_EQ(failed.count(), 2);
    EXPECT_TRUE(failed[1][0].toBool());  // the write failed
    EXPECT_TRUE(rig.session.ClosePort());
    EXPECT_EQ(closed.count(), 1);
    // Closed: nothing goes out, nothing fails.
    EXPECT_FALSE(rig.session.Send(MakeOutgoing(CommandCode::IdentifyCommand)));
    EXPECT_EQ(failed.count(), 2);
    EXPECT_EQ(rig.Received(CommandCode::IdentifyCommand), 1u);
}

TEST(PanelSessionLink, APayloadUpToTheFramesLimitGoesOutWhole)
{
    SessionRig rig;
    ASSERT_TRUE(rig.Connect());
    const Bytes longest(kMaxSendPayload, 0x5A);
    EXPECT_TRUE(rig.session.Send({0x42, longest}));
    Drain();
    ASSERT_FALSE(rig.Panel().ReceivedFrames().empty());
    EXPECT_EQ(rig.Panel().ReceivedFrames().back().command, 0x42);
    EXPECT_EQ(rig.Panel().ReceivedFrames().back().payload, longest);
}

// A longer payload is a programming error: loud in a debug build, refused
// with a warning otherwise, and never cut to fit.
TEST(PanelSessionLinkDeathTest, APayloadOverTheLimitIsNeverCut)
{
    SessionRig rig;
    ASSERT_TRUE(rig.Connect());
    const Outgoing tooLong{0x42, Bytes(kMaxSendPayload + 1, 0x5A)};
#ifdef QT_NO_DEBUG
    EXPECT_FALSE(rig.session.Send(tooLong));
    Drain();
    EXPECT_EQ(rig.Panel().CommandCount(0x42), 0u);
#else
    EXPECT_DEATH(rig.session.Send(tooLong), "over the frame's");
#endif
}

}  // namespace
}  // namespace session_test
