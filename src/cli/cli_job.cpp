#include "cli/cli_job.h"

#include <QEventLoop>
#include <memory>

#include "cli/cli_context.h"
#include "session/clock.h"

namespace {

// The bar's caption for a stage; none for the short ones.
QString StageCaption(PanelJob::Stage stage)
{
    switch (stage) {
    case PanelJob::Stage::ReadingBlocks: return QStringLiteral("Reading");
    case PanelJob::Stage::ReadingRf: return QStringLiteral("RF sensors");
    case PanelJob::Stage::Writing: return QStringLiteral("Writing");
    case PanelJob::Stage::Identifying:
    case PanelJob::Stage::Storing: break;
    }
    return {};
}

}  // namespace

JobOutcome RunPanelJob(CliContext& cli, const std::function<bool(PanelJob&)>& start)
{
    PanelJob job(cli.Session(), cli.Env().clock, PanelExchange::Options{.answerTimeoutMs = cli.Env().answerTimeoutMs});
    std::unique_ptr<Progress> bar;
    std::optional<PanelJob::Stage> shown;
    QObject::connect(&job, &PanelJob::Progress, &job, [&](PanelJob::Stage stage, int done, int total) {
        // Asked before each next exchange: a Ctrl-C pressed since stops it.
        if (cli.Interrupted()) job.Cancel();
        if (stage != shown) {
            bar.reset();
            shown = stage;
            if (const QString caption = StageCaption(stage); !caption.isEmpty()) bar = cli.MakeProgress(caption, total);
        }
        if (bar) bar->Step(done);
    });
    std::optional<JobOutcome> outcome;
    QEventLoop loop;
    QObject::connect(&job, &PanelJob::Finished, &loop, [&](const JobOutcome& ended) {
        outcome = ended;
        loop.quit();
    });
    // Nothing else talks to the panel in this program: the gate is free.
    if (!start(job)) {
        JobOutcome refused;
        refused.end = JobOutcome::End::Refused;
        refused.refusal = JobOutcome::Refusal::PortClosed;
        return refused;
    }
    // Every exchange of the job is bounded, so Finished comes.
    loop.exec();
    return *outcome;
}

int ReadFailure(CliContext& cli, const JobOutcome& outcome)
{
    using End = JobOutcome::End;
    const QString where = outcome.slot > 0 ? QStringLiteral("RF sensor slot %1").arg(outcome.slot)
                                           : BlockName(outcome.block);
    if (outcome.end == End::Cancelled) {
        if (outcome.slot == 0 && outcome.block == 0) return cli.Fail(ExitCode::PanelFailed, QStringLiteral("cancelled (Ctrl-C)"));
        return cli.Fail(ExitCode::PanelFailed, QStringLiteral("cancelled (Ctrl-C) before %1").arg(where));
    }
    if (outcome.end == End::StorageFailed) return cli.Fail(ExitCode::BadFile, outcome.storageError);
    if (outcome.refusal == JobOutcome::Refusal::NotIdentified) return cli.NoPanelAnswered();
    if (outcome.refusal == JobOutcome::Refusal::PortClosed) {
        return cli.Fail(ExitCode::PortError, QStringLiteral("the port %1 is closed").arg(cli.PortName()));
    }
    const QString verb = outcome.end == End::Refused ? QStringLiteral("refused") : QStringLiteral("did not answer");
    return cli.Fail(ExitCode::PanelFailed,
                    QStringLiteral("the panel %1 reading %2; check the cable and run the command again").arg(verb, where));
}
