#include <QFileInfo>
#include <QJsonArray>

#include "library/backup_file.h"
#include "cli/cli_commands.h"
#include "cli/cli_context.h"
#include "cli/cli_job.h"
#include "cli/terminal_text.h"
#include "core/config/block_fields.h"
#include "core/config/panel_backup.h"
#include "core/files/safe_file.h"
#include "library/panel_library.h"
#include "library/snapshot_reference.h"
#include "core/panel/block_table.h"
#include "library/backup_compare.h"
#include "session/clock.h"

namespace {

// Prints what differs under its name (not for JSON) and gives it as JSON;
// a secret masked unless --show-secrets.
QJsonArray ShowChanges(CliContext& cli, const QString& name, const std::vector<FieldChange>& changes)
{
    QTextStream& out = cli.Env().out;
    if (!cli.Json()) out << PrintableText(name) << '\n';
    QJsonArray fields;
    const bool showSecrets = cli.IsSet("show-secrets");
    for (const FieldChange& change : changes) {
        const QString caption = QString::fromStdString(change.caption);
        const QString before = QString::fromStdString(ShownValue(change.caption, change.before, change.secret, showSecrets));
        const QString after = QString::fromStdString(ShownValue(change.caption, change.after, change.secret, showSecrets));
        QJsonObject field{{"caption", caption}, {"before", before}, {"after", after}};
        // A script tells a masked value from a password of dots.
        if (change.secret) field.insert("secret", true);
        fields.append(field);
        if (!cli.Json()) {
            out << "  " << PrintableText(caption) << ": " << PrintableText(before) << " -> " << PrintableText(after) << '\n';
        }
    }
    return fields;
}

}  // namespace

std::optional<int> LoadBackupFile(CliContext& cli, const QString& file, PanelBackup& backup)
{
    BackupFileRead read = ReadBackupFile(file);
    if (!read.readable) return cli.Fail(ExitCode::BadFile, QStringLiteral("cannot read %1: %2").arg(file, read.error));
    if (!read.backup) {
        return cli.Fail(ExitCode::BadFile, QStringLiteral("%1 refused: %2; nothing was written").arg(file, read.error));
    }
    backup = std::move(*read.backup);
    return std::nullopt;
}

namespace {

// The backup a restore writes: a file, or a snapshot of the library named
// SERIAL or SERIAL@N when no such file exists (a malformed reference is a
// usage error, as in every command that takes one).
std::optional<int> LoadRestoreSource(CliContext& cli, const QString& source, PanelBackup& backup)
{
    if (!LooksLikeSnapshotReference(source) || QFileInfo::exists(source)) return LoadBackupFile(cli, source, backup);
    const ReferenceParse reference = ParseSnapshotReference(source);
    if (!reference.reference) return cli.Fail(ExitCode::Usage, reference.error);
    PanelLibrary* library = cli.Library();
    if (!library) return cli.LibraryFailure();
    const auto snapshot = library->Snapshot(reference.reference->serial, reference.reference->number);
    if (!snapshot.Ok()) return cli.Fail(ExitCode::BadFile, snapshot.error + QStringLiteral("; nothing was written"));
    backup = *snapshot.value;
    return std::nullopt;
}

}  // namespace

int RunBackup(CliContext& cli, const QString& file)
{
    // A typo in the destination fails now, not after the whole panel was read.
    if (const std::string problem = CheckWriteDestination(file.toStdString()); !problem.empty()) {
        return cli.Fail(ExitCode::BadFile, QStringLiteral("cannot write %1: %2; choose a writable path for a new or "
                                                          "existing backup file")
                                               .arg(file, QString::fromStdString(problem)));
    }
    if (const auto failed = cli.CheckConnectionOptions()) return *failed;
    // The library is checked as the destination is: a backup that cannot be
    // kept fails before the panel is read and before the file changes.
    if (const auto failed = cli.CheckLibraryCanKeep()) return *failed;
    if (const auto failed = cli.RefuseLibraryFile(file)) return *failed;
    // Ctrl-C stops the reading; the file, old or absent, is left as it was.
    cli.CatchInterrupt();
    if (const auto failed = cli.Connect()) return *failed;
    const JobOutcome read = RunPanelJob(cli, [&cli](PanelJob& job) { return job.Read(cli.IsSet("rf")); });
    if (read.end != JobOutcome::End::Done) return ReadFailure(cli, read);
    const PanelBackup& backup = *read.backup;
    const Identification& panel = backup.panel;
    // Written whole or not at all: a failed save leaves the old file as it was.
    if (const QString error = WriteBackupFile(file, backup); !error.isEmpty()) {
        return cli.Fail(ExitCode::BadFile, QStringLiteral("cannot write %1: %2; the file was left as it was, nothing was "
                                                          "saved")
                                               .arg(file, error));
    }
    if (const auto failed = cli.KeepSnapshot(backup, SnapshotReason::Manual, file)) return *failed;
    if (cli.Json()) {
        QJsonObject result{{"file", file}, {"panel", PanelJson(panel)}, {"blocks", static_cast<int>(backup.blocks.size())}};
        if (backup.rf) result.insert("rfSensors", static_cast<int>(backup.rf->size()));
        cli.PrintJson(result);
    } else {
        QTextStream& text = cli.Env().out;
        text << "Saved " << backup.blocks.size() << " blocks";
        if (backup.rf) text << " and " << backup.rf->size() << " RF sensors";
        text << " of " << PanelText(panel) << " to " << file << '\n';
        text.flush();
    }
    return Code(ExitCode::Done);
}

namespace {

// Why a restore's plan writes nothing at all; an exit code. For an outcome
// of PrepareRestore that is refused for the configuration's sake.
int RestoreRefused(CliContext& cli, const QString& file, const PanelBackup& saved, const JobOutcome& outcome)
{
    if (outcome.refusal == JobOutcome::Refusal::OtherModel) {
        const Identification& panel = outcome.backup->panel;
        return cli.Fail(ExitCode::BadFile, QStringLiteral("%1 was taken from a panel of model %2 (%3); the panel on %4 is "
                                                          "model %5 (%6); nothing was written")
                                               .arg(file)
                                               .arg(saved.panel.model)
                                               .arg(QString::fromStdString(ModelDisplayName(saved.panel.model)))
                                               .arg(cli.PortName())
                                               .arg(panel.model)
                                               .arg(QString::fromStdString(ModelDisplayName(panel.model))));
    }
    const RestorePlan::Mismatch& refusal = *outcome.plan.refusal;
    return cli.Fail(ExitCode::BadFile, QStringLiteral("%1 holds %2 of %3 bytes; the panel's is %4 bytes long; "
                                                      "nothing was written")
                                           .arg(file, BlockName(refusal.block))
                                           .arg(refusal.savedLength)
                                           .arg(refusal.panelLength));
}

QString WriteFailure(const WriteOutcome& outcome)
{
    switch (outcome.result) {
    case WriteOutcome::Result::Done: break;
    case WriteOutcome::Result::Stopped: return QStringLiteral("cancelled (Ctrl-C) before %1").arg(BlockName(outcome.block));
    case WriteOutcome::Result::Refused:
    case WriteOutcome::Result::NoAnswer:
        return QStringLiteral("the panel %1 writing %2")
            .arg(outcome.result == WriteOutcome::Result::Refused ? "refused" : "did not answer", BlockName(outcome.block));
    case WriteOutcome::Result::ReadBackDiffers:
        return QStringLiteral("%1 did not read back as written").arg(BlockName(outcome.block));
    }
    return {};
}

QJsonArray IdList(const std::vector<std::uint8_t>& ids)
{
    QJsonArray list;
    for (std::uint8_t id : ids) list.append(id);
    return list;
}

}  // namespace

int RunRestore(CliContext& cli, const QString& file)
{
    PanelBackup backup;
    if (const auto failed = LoadRestoreSource(cli, file, backup)) return *failed;
    if (const auto failed = cli.CheckConnectionOptions()) return *failed;
    if (!cli.IsSet("dry-run")) {
        if (const auto failed = cli.CheckLibraryCanKeep()) return *failed;
    }
    // Ctrl-C lets the block being written finish, then stops and says what
    // was written; a second one quits at once.
    cli.CatchInterrupt();
    if (const auto failed = cli.Connect()) return *failed;
    // The whole configuration is read, not only what may be written: it is
    // kept in the library before anything changes.
    const JobOutcome prepared = RunPanelJob(cli, [&backup](PanelJob& job) { return job.PrepareRestore(backup); });
    const bool nothingToWrite = prepared.refusal == JobOutcome::Refusal::NothingToWrite;
    if (prepared.refusal == JobOutcome::Refusal::OtherModel || prepared.refusal == JobOutcome::Refusal::BlockLength) {
        return RestoreRefused(cli, file, backup, prepared);
    }
    if (prepared.end != JobOutcome::End::Done && !nothingToWrite) return ReadFailure(cli, prepared);
    const std::vector<std::uint8_t>& differing = prepared.plan.toWrite;

    QTextStream& out = cli.Env().out;
    // Sensors are devices of the site where they were enrolled: a copy on
    // another panel would answer for sensors that are not there.
    const int rfSensors = backup.rf ? static_cast<int>(backup.rf->size()) : 0;
    if (rfSensors > 0 && !cli.Json()) {
        out << file << " holds " << rfSensors << " RF sensors; restore does not write them: enrol the sensors of this "
            << "site on the panel itself\n";
    }
    if (cli.IsSet("dry-run")) {
        if (cli.Json()) {
            cli.PrintJson({{"dryRun", true}, {"wouldWrite", IdList(differing)}, {"rfSensorsNotRestored", rfSensors}});
        } else {
            if (differing.empty()) out << "The panel already holds every block of " << file << '\n';
            for (std::uint8_t id : differing) out << "Would write " << BlockName(id) << '\n';
            out.flush();
        }
        return Code(ExitCode::Done);
    }

    WriteOutcome outcome;
    if (!nothingToWrite) {
        // Checked before the panel was read; a library wanted is never skipped.
        if (cli.LibraryWanted() && !cli.Library()) return cli.LibraryFailure();
        // Nothing an installer changes is without a way back.
        const JobOutcome restored = RunPanelJob(cli, [&](PanelJob& job) {
            return job.Restore(cli.LibraryWanted() ? cli.Library() : nullptr, *prepared.backup, backup, differing,
                               cli.SnapshotOrigin(SnapshotReason::BeforeRestore));
        });
        if (restored.end == JobOutcome::End::StorageFailed) {
            cli.Fail(ExitCode::BadFile, cli.KeepFailureText(restored.storageError));
            cli.Env().err << "quorvel-cli: nothing was written\n";
            return Code(ExitCode::BadFile);
        }
        outcome = restored.written;
    }
    const QString failure = WriteFailure(outcome);
    if (cli.Json()) {
        cli.PrintJson({{"written", IdList(outcome.written)}, {"notWritten", IdList(outcome.notWritten)}, {"error", failure},
                       {"rfSensorsNotRestored", rfSensors}});
    } else {
        if (differing.empty()) out << "The panel already holds every block of " << file << '\n';
        for (std::uint8_t id : outcome.written) out << "Written " << BlockPlaceName(id) << '\n';
        for (std::uint8_t id : outcome.notWritten) out << "Not written " << BlockPlaceName(id) << '\n';
        out.flush();
    }
    if (!failure.isEmpty()) {
        const QString advice = cli.Interrupted() ? QStringLiteral("; run the restore again to write the rest")
                                                 : QStringLiteral("; check the cable and run the restore again");
        return cli.Fail(ExitCode::PanelFailed, failure + advice + QStringLiteral(": it writes only the blocks that still differ"));
    }
    return Code(ExitCode::Done);
}

int RunDiff(CliContext& cli, const QString& file, const QString& other)
{
    if (other.isEmpty() != cli.IsSet("port")) {
        return cli.Fail(ExitCode::Usage, QStringLiteral("compare a file with --port PORT or with a second file, not both"));
    }
    PanelBackup left;
    if (const auto failed = LoadBackupFile(cli, file, left)) return *failed;
    PanelBackup right;
    QString rightName = other;
    if (!other.isEmpty()) {
        if (const auto failed = LoadBackupFile(cli, other, right)) return *failed;
    } else {
        if (const auto failed = cli.Connect()) return *failed;
        rightName = cli.PortName();
        // The panel's sensors are read only to compare them with a file's.
        const JobOutcome read = RunPanelJob(cli, [&left](PanelJob& job) { return job.Read(left.rf.has_value()); });
        if (read.end != JobOutcome::End::Done) return ReadFailure(cli, read);
        right = *read.backup;
    }

    const BackupDifferences found = CompareConfigurations(left, right, SensorChanges::ByField);
    QJsonArray differences;
    for (const BackupDifferences::Block& block : found.blocks) {
        differences.append(QJsonObject{
            {"id", block.id}, {"title", BlockTitle(block.id)}, {"fields", ShowChanges(cli, BlockName(block.id), block.changes)}});
    }
    QJsonArray rfDifferences;
    for (const BackupDifferences::Sensor& sensor : found.sensors) {
        const QString name = QStringLiteral("RF sensor slot %1").arg(sensor.slot);
        rfDifferences.append(QJsonObject{{"slot", sensor.slot}, {"fields", ShowChanges(cli, name, sensor.changes)}});
    }
    QTextStream& out = cli.Env().out;
    if (cli.Json()) {
        QJsonObject result{{"left", file}, {"right", rightName}, {"identical", found.Empty()}, {"blocks", differences}};
        if (found.sensorsCompared) result.insert("rf", rfDifferences);
        cli.PrintJson(result);
    } else if (found.Empty()) {
        out << "No differences between " << file << " and " << rightName << '\n';
    }
    out.flush();
    return Code(ExitCode::Done);
}
