// The panel jobs in memory: a save stored, a restore refused for another
// model with nothing written, a job cancelled between two exchanges with
// nothing stored, one job at a time.

#include <QTemporaryDir>
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
    ASSERT_TRUE(r.job.PrepareRestore(saved));
    ASSERT_TRUE(r.Finish());
    EXPECT_EQ(r.outcome->end, JobOutcome::End::Refused);
    EXPECT_EQ(r.outcome->refusal, JobOutcome::Refusal::OtherModel);
    EXPECT_EQ(r.rig.Received(CommandCode::WriteBlockCommand), writes);
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
