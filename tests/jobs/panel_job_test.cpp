// The panel jobs in memory: a save stored, a restore refused for another
// model with nothing written, a restore's ends (a block refused, read back
// otherwise, cancelled between blocks, the snapshot before it not kept), a
// job cancelled between two exchanges with nothing stored, one job at a time.

#include <QSignalSpy>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

#include "jobs/job_gate.h"
#include "jobs/panel_job.h"
#include "session/clock.h"
#include "session/session_rig.h"

using namespace session_test;

namespace {

struct JobRig {
    JobRig()
    {
        EXPECT_TRUE(rig.Connect());
        auto opened = PanelLibrary::Open(*ParseLibraryLocation(dir.filePath("library.sqlite")).location);
        EXPECT_TRUE(opened.Ok());
        library = std::move(*opened.value);
        QObject::connect(&job, &PanelJob::Finished, &job, [this](const JobOutcome& o) { outcome = o; });
    }
    // Turns the loop until the job has told its outcome.
    bool Finish() { return Settle([this] { return outcome.has_value(); }, 20000); }
    SnapshotMeta Meta() const { return {QStringLiteral("Bia"), SnapshotReason::Manual, {}, QStringLiteral("1.0"), {}}; }

    SessionRig rig;
    SystemClock clock;
    QTemporaryDir dir;
    std::unique_ptr<PanelLibrary> library;
    PanelJob job{rig.session, clock};
    std::optional<JobOutcome> outcome;
};

}  // namespace

TEST(PanelJob, SaveStoresWhatThePanelHolds)
{
    JobRig r;
    ASSERT_TRUE(r.job.Save(*r.library, false, r.Meta()));
    ASSERT_TRUE(r.Finish());
    ASSERT_EQ(r.outcome->end, JobOutcome::End::Done);
    ASSERT_TRUE(r.outcome->snapshot && r.outcome->backup);
    EXPECT_EQ(r.outcome->snapshot->number, 1);
    for (const auto& [id, bytes] : r.outcome->backup->blocks) EXPECT_EQ(r.rig.Panel().Block(id), bytes) << int(id);
}

TEST(PanelJob, AnotherModelIsRefusedAndNothingWritten)
{
    JobRig r;
    ASSERT_TRUE(r.job.Read(false));
    ASSERT_TRUE(r.Finish());
    PanelBackup saved = *r.outcome->backup;
    saved.panel.model = static_cast<std::uint8_t>(saved.panel.model + 1);
    r.outcome.reset();
    const std::size_t writes = r.rig.Received(CommandCode::WriteBlockCommand);
    const std::size_t reads = r.rig.Received(CommandCode::ReadBlockCommand);
    ASSERT_TRUE(r.job.PrepareRestore(saved));
    ASSERT_TRUE(r.Finish());
    EXPECT_EQ(r.outcome->end, JobOutcome::End::Refused);
    EXPECT_EQ(r.outcome->refusal, JobOutcome::Refusal::OtherModel);
    EXPECT_EQ(r.outcome->backup->panel.model, r.rig.Panel().Model());
    EXPECT_EQ(r.rig.Received(CommandCode::WriteBlockCommand), writes);
    // Known from the identification alone: no block of it is read.
    EXPECT_EQ(r.rig.Received(CommandCode::ReadBlockCommand), reads);
}

namespace {

// A restore of the panel as it was, after blocks 2 and 26 were changed on
// it: how each fault ends it, what it wrote and what it kept before.
struct RestoreCase {
    const char* name;
    // Set before the plan: the saved configuration or the panel made faulty.
    std::function<void(JobRig&, PanelBackup& saved, PanelBackup& current)> fault;
    bool withLibrary;
    JobOutcome::End end;
    WriteOutcome::Result result;
    std::vector<std::uint8_t> written;
    std::vector<std::uint8_t> notWritten;
    bool kept;  // a snapshot of the panel before it was stored
};

const std::vector<RestoreCase>& RestoreCases()
{
    using End = JobOutcome::End;
    using Result = WriteOutcome::Result;
    static const std::vector<RestoreCase> cases{
        {"written and kept", nullptr, true, End::Done, Result::Done, {2, 26}, {}, true},
        {"no library: written, nothing kept", nullptr, false, End::Done, Result::Done, {2, 26}, {}, false},
        {"a block refused stops the rest",
         [](JobRig&, PanelBackup& saved, PanelBackup&) {
             // Texts that do not fill the block: the panel refuses it.
             saved.blocks[6] = {6, 200, 0};
         },
         true, End::Refused, Result::Refused, {2}, {6, 26}, true},
        {"read back otherwise",
         [](JobRig& r, PanelBackup&, PanelBackup&) {
             r.rig.Panel().SetFrameObserver([&r](VirtualPanel::Direction direction, const std::vector<uint8_t>&) {
                 // Right after the first write is taken, the panel holds something else.
                 if (direction == VirtualPanel::Direction::ToTool && r.rig.Received(CommandCode::WriteBlockCommand) == 1) {
                     r.rig.Panel().SetBlock({2, 0x00, 0x11, 0x00, 0x11});
                 }
             });
         },
         true, End::Refused, Result::ReadBackDiffers, {}, {2, 26}, true},
        {"cancelled between two blocks",
         [](JobRig& r, PanelBackup&, PanelBackup&) {
             QObject::connect(&r.job, &PanelJob::Progress, &r.job, [&r](PanelJob::Stage stage, int done) {
                 if (stage == PanelJob::Stage::Writing && done == 1) r.job.Cancel();
             });
         },
         true, End::Cancelled, Result::Stopped, {2}, {26}, true},
        {"the snapshot before cannot be kept: nothing written",
         [](JobRig&, PanelBackup&, PanelBackup& current) {
             // A time the library refuses, as a wrong clock gives.
             current.takenMs = TakenMs(QDateTime(QDate(1990, 1, 1), QTime(0, 0), Qt::UTC));
         },
         true, End::StorageFailed, Result::Done, {}, {}, false},
    };
    return cases;
}

}  // namespace

TEST(PanelJob, RestoreEnds)
{
    for (const RestoreCase& c : RestoreCases()) {
        SCOPED_TRACE(c.name);
        JobRig r;
        ASSERT_TRUE(r.job.Read(false));
        ASSERT_TRUE(r.Finish());
        PanelBackup saved = *r.outcome->backup;
        r.rig.Panel().SetBlock({2, 0x00, 0x3C, 0x00, 0x3C});
        r.rig.Panel().SetBlock({26, 1});
        PanelBackup ignored;
        if (c.fault) c.fault(r, saved, ignored);
        r.outcome.reset();
        ASSERT_TRUE(r.job.PrepareRestore(saved));
        ASSERT_TRUE(r.Finish());
        ASSERT_EQ(r.outcome->end, JobOutcome::End::Done);
        PanelBackup current = *r.outcome->backup;
        if (c.fault) c.fault(r, saved, current);
        const std::vector<std::uint8_t> toWrite = r.outcome->plan.toWrite;
        r.outcome.reset();

        const std::size_t writes = r.rig.Received(CommandCode::WriteBlockCommand);
        ASSERT_TRUE(r.job.Restore(c.withLibrary ? r.library.get() : nullptr, current, saved, toWrite,
                                  {QStringLiteral("Bia"), SnapshotReason::BeforeRestore, {}, QStringLiteral("1.0"), {}}));
        ASSERT_TRUE(r.Finish());
        r.rig.Panel().SetFrameObserver(nullptr);
        EXPECT_EQ(r.outcome->end, c.end);
        EXPECT_EQ(r.outcome->snapshot.has_value(), c.kept);
        const auto history = r.library->History(current.panel.serial);
        ASSERT_TRUE(history.Ok());
        EXPECT_EQ(history.value->size(), c.kept ? 1u : 0u);
        if (c.end == JobOutcome::End::StorageFailed) {
            EXPECT_FALSE(r.outcome->storageError.isEmpty());
            EXPECT_EQ(r.rig.Received(CommandCode::WriteBlockCommand), writes);
            continue;
        }
        EXPECT_EQ(r.outcome->written.result, c.result);
        EXPECT_EQ(r.outcome->written.written, c.written);
        EXPECT_EQ(r.outcome->written.notWritten, c.notWritten);
        for (std::uint8_t id : c.written) EXPECT_EQ(r.rig.Panel().Block(id), saved.blocks.at(id)) << int(id);
    }
}

TEST(PanelJob, CancelledBetweenTwoExchangesStoresNothing)
{
    JobRig r;
    QObject::connect(&r.job, &PanelJob::Progress, &r.job, [&r](PanelJob::Stage stage, int done) {
        if (stage == PanelJob::Stage::ReadingBlocks && done == 2) r.job.Cancel();
    });
    ASSERT_TRUE(r.job.Save(*r.library, false, r.Meta()));
    ASSERT_TRUE(r.Finish());
    EXPECT_EQ(r.outcome->end, JobOutcome::End::Cancelled);
    EXPECT_FALSE(r.outcome->snapshot);
}

TEST(PanelJob, OneJobAtATime)
{
    JobRig r;
    PanelJob other(r.rig.session, r.clock);
    ASSERT_TRUE(r.job.Read(false));
    EXPECT_TRUE(JobGate::Of(r.rig.session).Busy());
    EXPECT_FALSE(other.Read(false));
    ASSERT_TRUE(r.Finish());
    EXPECT_FALSE(JobGate::Of(r.rig.session).Busy());
    EXPECT_TRUE(other.Read(false));
}

// How a read of the panel ends when the panel or its port fails: each end
// typed, with where it stopped. Answers are awaited briefly here.
TEST(PanelJob, ReadEnds)
{
    using End = JobOutcome::End;
    using Refusal = JobOutcome::Refusal;
    const std::uint8_t third = ConfigurationBlockIds().at(2);
    const struct {
        const char* name;
        std::function<void(JobRig&, PanelJob&)> fault;
        End end;
        Refusal refusal;
        std::uint8_t block;
    } cases[] = {
        {"no port open", [](JobRig& r, PanelJob&) { r.rig.session.ClosePort(); }, End::Refused, Refusal::PortClosed, 0},
        {"nothing answers", [](JobRig& r, PanelJob&) { r.rig.Panel().SetSilent(true); }, End::Refused,
         Refusal::NotIdentified, 0},
        {"silent after two blocks",
         [](JobRig& r, PanelJob&) {
             r.rig.Panel().SetFrameObserver([&r](VirtualPanel::Direction direction, const std::vector<uint8_t>&) {
                 // Once the second block is answered.
                 if (direction == VirtualPanel::Direction::ToTool && r.rig.Received(CommandCode::ReadBlockCommand) == 2) {
                     r.rig.Panel().SetSilent(true);
                 }
             });
         },
         End::NoAnswer, Refusal::None, third},
        {"port closed between two blocks",
         [](JobRig& r, PanelJob& job) {
             QObject::connect(&job, &PanelJob::Progress, &job, [&r](PanelJob::Stage stage, int done) {
                 if (stage == PanelJob::Stage::ReadingBlocks && done == 2) r.rig.session.ClosePort();
             });
         },
         End::PortLost, Refusal::None, third},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        JobRig r;
        PanelJob job(r.rig.session, r.clock, PanelExchange::Options{.answerTimeoutMs = 200, .attempts = 1});
        c.fault(r, job);
        QSignalSpy finished(&job, &PanelJob::Finished);
        ASSERT_TRUE(job.Read(false));
        ASSERT_TRUE(finished.wait(5000));
        r.rig.Panel().SetFrameObserver(nullptr);
        const auto outcome = finished.at(0).at(0).value<JobOutcome>();
        EXPECT_EQ(outcome.end, c.end);
        EXPECT_EQ(outcome.refusal, c.refusal);
        EXPECT_EQ(outcome.block, c.block);
        EXPECT_FALSE(outcome.backup);
    }
}
