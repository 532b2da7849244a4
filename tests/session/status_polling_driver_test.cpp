// The status polling driver against the software panel in memory: the
// 250 ms ticks driven by hand, the pages each tab asks for, the decoded
// pages, and the log of every status frame.

#include <gtest/gtest.h>

#include <QDateTime>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <fstream>

#include "core/diagnostics/diagnostic_log.h"
#include "session/clock.h"
#include "session/status_polling_driver.h"
#include "session_rig.h"
#include "support/file_size_limit.h"

namespace session_test {
namespace {

class FixedClock final : public Clock {
public:
    QDateTime Now() const override { return QDateTime::fromMSecsSinceEpoch(1796875506123, Qt::UTC); }
};

struct Polling {
    explicit Polling(SessionRig& rig) : driver(rig.session, clock, {.tickMs = 3600 * 1000}) {}
    FixedClock clock;
    StatusPollingDriver driver;
};

// The status pages the panel was asked for, in order.
std::string PagesAsked(const VirtualPanel& panel)
{
    std::string pages;
    for (const VirtualPanel::ReceivedFrame& frame : panel.ReceivedFrames()) {
        if (frame.command != CommandByte(CommandCode::StatusRequestCommand)) continue;
        if (!pages.empty()) pages += ' ';
        pages += std::to_string(frame.payload.at(0));
    }
    return pages;
}

TEST(StatusPollingDriver, EachTabAsksForItsPagesAndEveryAnswerIsDecoded)
{
    const struct {
        int tab;
        const char* asked;  // over six ticks after the tab was chosen
    } cases[] = {
        {0, "16 1 16 1 16 1"},    {1, "5 8 1 5 8 1"},   {2, "10 10 10 10 10 10"}, {6, "27 27 27 27 27 27"},
        {12, "22 23 24 22 23 24"}, {13, "25 25 25 25 25 25"}, {4, ""},
    };
    for (const auto& c : cases) {
        SessionRig rig;
        ASSERT_TRUE(rig.Connect()) << c.tab;
        Polling polling(rig);
        QSignalSpy decoded(&polling.driver, &StatusPollingDriver::PageDecoded);
        polling.driver.SelectTab(c.tab);
        for (int tick = 0; tick < 6; ++tick) {
            polling.driver.Tick();
            Drain(10);
        }
        EXPECT_EQ(PagesAsked(rig.Panel()), c.asked) << "tab " << c.tab;
        // Every page the panel answered changes labels.
        EXPECT_EQ(decoded.count(), std::string(c.asked).empty() ? 0 : 6) << "tab " << c.tab;
        for (const QList<QVariant>& page : decoded) {
            EXPECT_FALSE(page[0].value<LabelUpdates>().empty()) << "tab " << c.tab;
        }
        if (decoded.count() > 0) {
            ASSERT_TRUE(polling.driver.LastHeader());
            EXPECT_EQ(polling.driver.LastHeader()->serial, rig.Panel().Serial());
        }
    }
}

TEST(StatusPollingDriver, FramesItCannotShowChangeNothing)
{
    SessionRig rig;
    ASSERT_TRUE(rig.Connect());
    Polling polling(rig);
    QSignalSpy decoded(&polling.driver, &StatusPollingDriver::PageDecoded);
    emit rig.session.StatusPageReceived(Bytes(10, 1));  // too short for the header
    EXPECT_EQ(decoded.count(), 0);
    EXPECT_FALSE(polling.driver.LastHeader());
    Bytes wrongLength(12, 0);  // page 1 with one byte of its data
    wrongLength[0] = 1;
    emit rig.session.StatusPageReceived(wrongLength);
    ASSERT_EQ(decoded.count(), 1);
    EXPECT_TRUE(decoded[0][0].value<LabelUpdates>().empty());
}

TEST(StatusPollingDriver, TheLogHoldsEveryStatusFrameWhileOpen)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("log.bin")).toStdString();
    SessionRig rig;
    ASSERT_TRUE(rig.Connect());
    Polling polling(rig);
    polling.driver.Tick();
    Drain(10);
    ASSERT_EQ(polling.driver.OpenLog(path), DiagnosticLogWriter::Status::Ok);
    EXPECT_TRUE(polling.driver.LogEnabled());
    EXPECT_EQ(polling.driver.LastPageRequested(), kPageAfterTabChange);  // the cycle starts over
    for (int tick = 0; tick < 3; ++tick) {
        polling.driver.Tick();
        Drain(10);
    }
    QSignalSpy stopped(&polling.driver, &StatusPollingDriver::LogStopped);
    polling.driver.CloseLog();
    EXPECT_FALSE(polling.driver.LogEnabled());
    polling.driver.Tick();
    Drain(10);
    EXPECT_EQ(stopped.count(), 0);  // a closed log is not a failed one

    std::ifstream in(path, std::ios::binary);
    DiagnosticLogReader reader(in);
    std::string pages;
    while (const auto record = reader.Next()) {
        EXPECT_EQ(record->receivedMs, 1796875506123);
        pages += std::to_string(record->payload.at(0)) + ' ';
    }
    EXPECT_TRUE(reader.Problem().empty()) << reader.Problem();
    EXPECT_EQ(pages, "16 1 16 ");
}

TEST(StatusPollingDriver, ALogThatCannotBeWrittenStopsOnce)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("log.bin"));
    SessionRig rig;
    ASSERT_TRUE(rig.Connect());
    Polling polling(rig);
    ASSERT_EQ(polling.driver.OpenLog(path.toStdString()), DiagnosticLogWriter::Status::Ok);
    QSignalSpy stopped(&polling.driver, &StatusPollingDriver::LogStopped);
    {
        const FileSizeLimit limit(20);  // the header and no whole record
        for (int tick = 0; tick < 3; ++tick) {
            polling.driver.Tick();
            Drain(10);
        }
    }
    ASSERT_EQ(stopped.count(), 1);
    EXPECT_EQ(stopped[0][0].toString(), path);
    EXPECT_FALSE(stopped[0][1].toString().isEmpty());
    EXPECT_FALSE(polling.driver.LogEnabled());
}

}  // namespace
}  // namespace session_test
