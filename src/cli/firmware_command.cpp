// flash: the firmware window's update, headless. The same driver runs it,
// so the checks, the sequence and the texts are the window's; this file
// only prints what the window would show and turns the end of the run into
// an exit code and advice.

#include <QEventLoop>
#include <QJsonArray>
#include <QStringList>

#include "cli/cli_commands.h"
#include "cli/cli_context.h"
#include "cli/terminal_text.h"
#include "cli/interrupt_watch.h"
#include "core/panel/block_table.h"
#include "jobs/keep_before_change.h"
#include "library/panel_library.h"
#include "session/clock.h"
#include "session/firmware_update_driver.h"
#include "session/panel_exchange.h"
#include "session/panel_session.h"

namespace {

// How a run went, as the window would have shown it.
struct FlashRun {
    QStringList messages;  // the window's boxes, in order
    bool succeeded = false;
    bool cancelled = false;  // the panel acknowledged the cancel
    bool stalled = false;
    bool portFailed = false;
    bool interrupted = false;  // the user pressed Ctrl-C
    UpdateState lastState = UpdateState::StartBootloader;  // the state the run was in when it ended
    std::uint32_t lastPacket = 0;
};

QJsonObject ImageJson(const QString& path, const FirmwareImage& image)
{
    const ImageHeader& header = image.Header();
    return {{"file", path},
            {"model", header.modelCode},
            {"modelName", QString::fromStdString(ModelDisplayName(header.modelCode))},
            {"firmwareId", header.firmwareId},
            {"versionText", QString::fromStdString(VersionText(header.firmwareId))},
            {"packets", header.packetCount}};
}

QString Where(const FlashRun& run, int packets)
{
    return run.lastPacket == 0 ? QStringLiteral("before any packet was asked for")
                               : QStringLiteral("at packet %1 of %2").arg(run.lastPacket).arg(packets);
}

// What state the panel is left in and what to do, after a failed run.
QString Advice(const FlashRun& run, int packets, int stallMs)
{
    const QString inBootloader = QStringLiteral(
        "The panel may be left in its bootloader without a working firmware: keep it powered, check the cable and "
        "run flash again.");
    if (run.interrupted) {
        return QStringLiteral("You cancelled the update (Ctrl-C) %1. %2").arg(Where(run, packets), inBootloader);
    }
    if (run.stalled) {
        const bool cancelled = run.cancelled;
        return QStringLiteral("The panel asked for no new packet for %1 s %2, so the update was cancelled%3. %4")
            .arg(stallMs / 1000.0)
            .arg(Where(run, packets), cancelled ? QString() : QStringLiteral(" and the panel did not answer the cancel"),
                 inBootloader);
    }
    if (run.lastState < UpdateState::SendingPackets) {
        return QStringLiteral("Nothing of the image was sent. The panel may be waiting in its bootloader: check the "
                              "cable, the panel's power and --speed, then run flash again.");
    }
    return QStringLiteral("The panel's bootloader ended the update %1. %2").arg(Where(run, packets), inBootloader);
}

class Flash {
public:
    Flash(CliContext& cli, const QString& path) : cli_(cli), path_(path) {}
    int Run();

private:
    int RefuseImage(const ImageLoadReport& report);
    int RefuseModel();
    int DryRun();
    std::optional<int> KeepPanel();
    int NotKept(const KeepOutcome& outcome);
    void Show(const UpdateEffects& fx);
    void Line(const QString& text);
    int Finish();

    CliContext& cli_;
    QString path_;
    std::unique_ptr<FirmwareUpdateDriver> driver_;
    std::unique_ptr<Progress> progress_;
    FlashRun run_;
    std::optional<UpdateState> printedState_;
};

int Flash::Run()
{
    if (const auto failed = cli_.CheckConnectionOptions()) return *failed;
    CliEnvironment& env = cli_.Env();
    driver_ = std::make_unique<FirmwareUpdateDriver>(
        cli_.Session(), FirmwareUpdateDriver::Options{.secondMs = env.updateSecondMs, .stallMs = env.updateStallMs});
    // The image is checked before the port opens: a bad file sends nothing.
    const ImageLoadReport report = driver_->LoadImage(path_);
    if (!report.accepted) return RefuseImage(report);
    // The window accepts such an image; a script that runs it would report
    // success for an update that sent nothing.
    if (driver_->Image().Header().packetCount == 0) {
        if (cli_.Json()) {
            cli_.PrintJson({{"image", ImageJson(path_, driver_->Image())}, {"succeeded", false}, {"messages", QJsonArray{}}});
        }
        return cli_.Fail(ExitCode::BadFile, QStringLiteral("%1 refused: it holds no packets, so there is no firmware in "
                                                           "it. Nothing was sent to the panel; choose a whole image file.")
                                                .arg(path_));
    }
    if (!cli_.Json()) {
        Line(QStringLiteral("Arquivo: %1").arg(path_));
        Line(QStringLiteral("Modelo: %1").arg(QString::fromStdString(report.info.model)));
        Line(QStringLiteral("Versão: %1").arg(QString::fromStdString(report.info.version)));
        Line(QStringLiteral("Data: %1").arg(QString::fromStdString(report.info.buildDate).trimmed()));
        Line(QString::fromStdString(report.info.packets));
    }

    if (!cli_.IsSet("dry-run")) {
        if (const auto failed = cli_.CheckLibraryCanKeep()) return *failed;
    }
    if (const auto failed = cli_.Connect()) return *failed;
    if (cli_.Panel().model != driver_->Image().Header().modelCode) return RefuseModel();
    if (cli_.IsSet("dry-run")) return DryRun();
    if (const auto failed = KeepPanel()) return *failed;

    progress_ = cli_.MakeProgress(QStringLiteral("Pacotes"), driver_->Image().Header().packetCount);
    QEventLoop loop;
    QObject::connect(driver_.get(), &FirmwareUpdateDriver::Effects, &loop, [this, &loop](const UpdateEffects& fx) {
        Show(fx);
        if (fx.stopped) loop.quit();
    });
    QObject::connect(driver_.get(), &FirmwareUpdateDriver::Stalled, &loop, [this] { run_.stalled = true; });
    cli_.EndOnPortLoss(loop, run_.portFailed);
    driver_->StartOrCancel();
    // The first Ctrl-C cancels as "Cancelar" does; a second one quits at once.
    const InterruptWatch interrupt([this] {
        if (run_.interrupted || !driver_->Machine().UpdateRunning()) return;
        run_.interrupted = true;
        Line(QStringLiteral("Ctrl-C: cancelling the update with the panel; press Ctrl-C again to quit at once."));
        driver_->StartOrCancel();
    });
    // The machine bounds every wait but the panel's own pace, and the stall
    // watch bounds that.
    if (driver_->Machine().UpdateRunning()) loop.exec();
    progress_->Done();
    return Finish();
}

int Flash::RefuseImage(const ImageLoadReport& report)
{
    QStringList texts;
    for (const ImageLoadStep& step : report.steps) {
        if (step.kind == ImageLoadStep::Kind::Error) texts << QString::fromStdString(step.text);
    }
    if (cli_.Json()) {
        cli_.PrintJson({{"image", QJsonObject{{"file", path_}}},
                        {"succeeded", false},
                        {"messages", QJsonArray::fromStringList(texts)}});
    }
    return cli_.Fail(ExitCode::BadFile, QStringLiteral("%1 refused: %2 Nothing was sent to the panel; choose a whole "
                                                       "image file made for the panel's model.")
                                            .arg(path_, texts.join(QLatin1Char(' '))));
}

int Flash::RefuseModel()
{
    const std::uint8_t imageModel = driver_->Image().Header().modelCode;
    const std::uint8_t panelModel = cli_.Panel().model;
    if (cli_.Json()) {
        cli_.PrintJson({{"image", ImageJson(path_, driver_->Image())},
                        {"port", cli_.PortName()},
                        {"panel", PanelJson(cli_.Panel())},
                        {"succeeded", false},
                        {"messages", QJsonArray{QString::fromUtf8(kModelMismatchText)}}});
    }
    return cli_.Fail(ExitCode::BadFile, QStringLiteral("%1 %2 is an image for model %3 (%4); the panel on %5 is model "
                                                       "%6 (%7). Nothing was sent; choose the image made for this "
                                                       "panel's model.")
                                            .arg(QString::fromUtf8(kModelMismatchText), path_)
                                            .arg(imageModel)
                                            .arg(QString::fromStdString(ModelDisplayName(imageModel)))
                                            .arg(cli_.PortName())
                                            .arg(panelModel)
                                            .arg(QString::fromStdString(ModelDisplayName(panelModel))));
}

// The image and the panel were checked and only the identification was
// sent: says what a real run would do.
int Flash::DryRun()
{
    const ImageHeader& header = driver_->Image().Header();
    const Identification& panel = cli_.Panel();
    if (cli_.Json()) {
        cli_.PrintJson({{"dryRun", true},
                        {"image", ImageJson(path_, driver_->Image())},
                        {"port", cli_.PortName()},
                        {"panel", PanelJson(panel)}});
        return Code(ExitCode::Done);
    }
    Line(QStringLiteral("Would update the panel on %1, %2, to version %3 with %4 packets; nothing was sent that "
                        "changes the panel.")
             .arg(cli_.PortName(), PanelText(panel), QString::fromStdString(VersionText(header.firmwareId)))
             .arg(header.packetCount));
    return Code(ExitCode::Done);
}

// What the panel holds is kept before its firmware changes, as the window
// keeps it. Where the window would ask, the answer was given beforehand:
// --no-library goes on without; otherwise nothing is sent.
std::optional<int> Flash::KeepPanel()
{
    KeepBeforeChange keep(cli_.Session(), cli_.Env().clock);
    const std::unique_ptr<Progress> progress =
        cli_.MakeProgress(QStringLiteral("Reading"), static_cast<int>(ConfigurationBlockIds().size()));
    QObject::connect(&keep, &KeepBeforeChange::Progress, &keep, [&progress](PanelJob::Stage stage, int done) {
        if (stage == PanelJob::Stage::ReadingBlocks) progress->Step(done);
    });
    std::optional<KeepOutcome> kept;
    QEventLoop loop;
    QObject::connect(&keep, &KeepBeforeChange::Finished, &loop, [&kept, &loop](const KeepOutcome& outcome) {
        kept = outcome;
        loop.quit();
    });
    // With the port gone there is nothing to keep; the update says so.
    if (!keep.Start([this] { return cli_.Library(); }, cli_.SnapshotOrigin(SnapshotReason::BeforeFirmwareUpdate))) {
        return std::nullopt;
    }
    loop.exec();
    progress->Done();
    switch (NextStep(*kept)) {
    case AfterKeep::GoOn: return std::nullopt;
    case AfterKeep::Ask:
        if (kept->why == KeepOutcome::Why::NoLibrary && !cli_.LibraryWanted()) return std::nullopt;
        return NotKept(*kept);
    case AfterKeep::Stop: break;
    }
    return cli_.Fail(ExitCode::PanelFailed, QStringLiteral("cancelled while the panel was read; nothing was sent"));
}

int Flash::NotKept(const KeepOutcome& outcome)
{
    const QString withoutLibrary =
        QStringLiteral("run with --no-library to go on without keeping the panel's configuration in the library");
    const JobOutcome& job = outcome.job;
    switch (outcome.why) {
    case KeepOutcome::Why::NoLibrary: return cli_.LibraryFailure();
    case KeepOutcome::Why::StorageFailed:
        return cli_.Fail(ExitCode::BadFile, QStringLiteral("%1; %2").arg(job.storageError, withoutLibrary));
    case KeepOutcome::Why::ReadFailed:
        if (job.refusal == JobOutcome::Refusal::NotIdentified) {
            return cli_.Fail(ExitCode::PanelFailed, QStringLiteral("the panel did not answer its identification; check "
                                                                   "the cable and run the command again"));
        }
        return cli_.Fail(ExitCode::PanelFailed,
                         QStringLiteral("the panel %1 reading %2; check the cable and run the command again")
                             .arg(job.end == JobOutcome::End::Refused ? QStringLiteral("refused")
                                                                      : QStringLiteral("did not answer"),
                                  BlockName(job.block)));
    case KeepOutcome::Why::None:
    case KeepOutcome::Why::PortClosed:
    case KeepOutcome::Why::Busy: break;
    }
    return cli_.Fail(ExitCode::PanelFailed, QStringLiteral("the panel's configuration could not be read; nothing was sent"));
}

void Flash::Line(const QString& text)
{
    if (cli_.Json()) return;
    if (progress_) progress_->Done();
    cli_.Env().out << PrintableLines(text) << '\n';
    cli_.Env().out.flush();
}

// Prints each state the run enters and each refused request, as Label3 and
// Label9 would show them; the gauge becomes the progress bar.
void Flash::Show(const UpdateEffects& fx)
{
    const UpdateMachine& machine = driver_->Machine();
    if (machine.UpdateRunning()) {
        run_.lastState = machine.State();
        if (machine.State() != printedState_) {
            printedState_ = machine.State();
            Line(QString::fromUtf8(UpdateStateText(machine.State())));
        }
    }
    run_.lastPacket = machine.CurrentPacket();
    if (fx.rejection && !fx.rejection->empty()) Line(QString::fromStdString(*fx.rejection));
    // The bar starts with the packets, not with Iniciar's empty gauge.
    if (fx.gaugeValue && machine.State() == UpdateState::SendingPackets) {
        progress_->Step(*fx.gaugeValue);
    }
    if (fx.ended == UpdateEffects::End::Cancelled) run_.cancelled = true;
    if (fx.message) {
        run_.messages << QString::fromStdString(fx.message->text);
        run_.succeeded = fx.ended == UpdateEffects::End::Succeeded;
    }
}

int Flash::Finish()
{
    const int packets = driver_->Image().Header().packetCount;
    QJsonObject result{{"image", ImageJson(path_, driver_->Image())},
                       {"port", cli_.PortName()},
                       {"succeeded", run_.succeeded && !run_.portFailed},
                       {"messages", QJsonArray::fromStringList(run_.messages)},
                       {"state", QString::fromUtf8(UpdateStateText(run_.lastState))},
                       {"lastPacket", static_cast<qint64>(run_.lastPacket)},
                       {"stalled", run_.stalled},
                       {"interrupted", run_.interrupted}};
    if (run_.portFailed) {
        if (cli_.Json()) cli_.PrintJson(result);
        return cli_.Fail(ExitCode::PortError, QStringLiteral("the port %1 failed during the update, %2. The panel may be "
                                                             "left in its bootloader: reconnect the cable and run flash "
                                                             "again.")
                                                  .arg(cli_.PortName(), Where(run_, packets)));
    }
    if (!run_.succeeded) {
        if (cli_.Json()) cli_.PrintJson(result);
        return cli_.Fail(ExitCode::PanelFailed, QStringLiteral("%1 %2").arg(
                                                    run_.messages.join(QLatin1Char(' ')),
                                                    Advice(run_, packets, cli_.Env().updateStallMs)));
    }
    // The panel reports its new version once it answers again.
    const std::optional<Identification> after = cli_.Exchange().Identify();
    if (cli_.Json()) {
        if (after) result.insert("panel", PanelJson(*after));
        cli_.PrintJson(result);
        return Code(ExitCode::Done);
    }
    Line(run_.messages.join(QLatin1Char(' ')));
    Line(after ? QStringLiteral("The panel on %1 now reports %2.").arg(cli_.PortName(), PanelText(*after))
               : QStringLiteral("The panel on %1 has not answered since; check its version with \"quorvel-cli "
                                "identify\".").arg(cli_.PortName()));
    return Code(ExitCode::Done);
}

}  // namespace

int RunFlash(CliContext& cli, const QString& image)
{
    Flash flash(cli, image);
    return flash.Run();
}
