// Keeping the panel before a change: each way it ends, typed, with what
// the library holds afterwards and what the front-end is told to do next.

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "jobs/keep_before_change.h"
#include "session/clock.h"
#include "session/session_rig.h"
#include "support/refusing_library.h"

using namespace session_test;

namespace {

struct KeepRig {
    KeepRig()
    {
        EXPECT_TRUE(rig.Connect());
        auto opened = PanelLibrary::Open(*ParseLibraryLocation(path).location);
        EXPECT_TRUE(opened.Ok());
        library = std::move(*opened.value);
        QObject::connect(&keep, &KeepBeforeChange::Finished, &keep, [this](const KeepOutcome& o) { outcome = o; });
    }
    bool Start(bool withLibrary)
    {
        return keep.Start([this, withLibrary] { return withLibrary ? library.get() : nullptr; },
                          {QStringLiteral("Bia"), SnapshotReason::BeforeFirmwareUpdate, {}, QStringLiteral("1.0"), {}});
    }
    bool Finish() { return Settle([this] { return outcome.has_value(); }, 20000); }
    std::size_t Kept() { return library->History(rig.Panel().Serial()).value->size(); }

    SessionRig rig;
    SystemClock clock;
    QTemporaryDir dir;
    QString path = dir.filePath("library.sqlite");
    std::unique_ptr<PanelLibrary> library;
    KeepBeforeChange keep{rig.session, clock};
    std::optional<KeepOutcome> outcome;
};

struct Case {
    const char* name;
    std::function<void(KeepRig&)> before;  // what is wrong, if anything
    bool withLibrary;
    KeepOutcome::End end;
    KeepOutcome::Why why;
    AfterKeep next;
    std::size_t kept;
    bool panelRead;
};

}  // namespace

TEST(KeepBeforeChange, EachEndTypedWithWhatIsKeptAndWhatComesNext)
{
    using End = KeepOutcome::End;
    using Why = KeepOutcome::Why;
    const Case cases[] = {
        {"stored", {}, true, End::Stored, Why::None, AfterKeep::GoOn, 1, true},
        {"the library refuses it", [](KeepRig& r) { ASSERT_TRUE(RefuseNewSnapshots(r.path)); }, true, End::NotStored,
         Why::StorageFailed, AfterKeep::Ask, 0, true},
        {"no library", {}, false, End::NotStored, Why::NoLibrary, AfterKeep::Ask, 0, false},
        {"cancelled between two exchanges",
         [](KeepRig& r) {
             QObject::connect(&r.keep, &KeepBeforeChange::Progress, &r.keep, [&r](PanelJob::Stage stage, int done) {
                 if (stage == PanelJob::Stage::ReadingBlocks && done == 2) r.keep.Cancel();
             });
         },
         true, End::Cancelled, Why::None, AfterKeep::Stop, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        KeepRig r;
        if (c.before) c.before(r);
        const std::size_t reads = r.rig.Received(CommandCode::ReadBlockCommand);
        ASSERT_TRUE(r.Start(c.withLibrary));
        ASSERT_TRUE(r.Finish());
        EXPECT_EQ(r.outcome->end, c.end);
        EXPECT_EQ(r.outcome->why, c.why);
        EXPECT_EQ(NextStep(*r.outcome), c.next);
        EXPECT_EQ(r.Kept(), c.kept);
        EXPECT_EQ(r.rig.Received(CommandCode::ReadBlockCommand) > reads, c.panelRead);
        if (c.why == Why::StorageFailed) {
            EXPECT_TRUE(r.outcome->job.storageError.contains("disk full")) << r.outcome->job.storageError.toStdString();
        }
        if (c.end == End::Stored) {
            ASSERT_TRUE(r.outcome->job.snapshot);
            EXPECT_EQ(r.library->History(r.outcome->job.snapshot->serial).value->front().reason,
                      SnapshotReason::BeforeFirmwareUpdate);
        }
    }
}

TEST(KeepBeforeChange, WithNoPortThereIsNothingToKeep)
{
    KeepRig r;
    r.rig.session.ClosePort();
    EXPECT_FALSE(r.Start(true));
    Drain();
    EXPECT_FALSE(r.outcome);
    EXPECT_FALSE(r.keep.Running());
}
