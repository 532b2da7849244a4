#include <QFileInfo>
#include <QJsonArray>
#include <set>

#include "library/backup_file.h"
#include "cli/cli_commands.h"
#include "cli/cli_context.h"
#include "cli/terminal_text.h"
#include "session/configuration_transfer.h"
#include "session/panel_exchange.h"
#include "core/bytes/hex_text.h"
#include "core/config/block_fields.h"
#include "core/config/panel_backup.h"
#include "core/config/restore_plan.h"
#include "core/files/safe_file.h"
#include "library/panel_library.h"
#include "library/snapshot_reference.h"
#include "core/panel/block_table.h"
#include "core/rf/rf_sensor_fields.h"
#include "session/clock.h"

namespace {



QString FailedVerb(ReadOutcome::Result result)
{
    return result == ReadOutcome::Result::Refused ? QStringLiteral("refused") : QStringLiteral("did not answer");
}

// Reads the blocks given, one at a time, with progress; an exit code on failure.
std::optional<int> ReadBlocks(CliContext& cli, const std::vector<std::uint8_t>& ids, BlockMap& blocks)
{
    const std::unique_ptr<Progress> progress = cli.MakeProgress(QStringLiteral("Reading"), static_cast<int>(ids.size()));
    const ReadOutcome read = ::ReadBlocks(cli.Exchange(), ids, blocks, [&](int done) {
        progress->Step(done);
        return !cli.Interrupted();
    });
    progress->Done();
    if (read.result == ReadOutcome::Result::Done) return std::nullopt;
    if (read.result == ReadOutcome::Result::Stopped) {
        return cli.Fail(ExitCode::PanelFailed, QStringLiteral("cancelled (Ctrl-C) before %1").arg(BlockName(read.block)));
    }
    return cli.Fail(ExitCode::PanelFailed, QStringLiteral("the panel %1 reading %2; check the cable and run the command again")
                                               .arg(FailedVerb(read.result), BlockName(read.block)));
}

// Reads every slot of the RF sensor table and keeps the records with a valid
// serial, as the RF sensors tab shows them; an exit code on failure.
std::optional<int> ReadRfSensors(CliContext& cli, RfSensorTable& table)
{
    const std::unique_ptr<Progress> progress = cli.MakeProgress(QStringLiteral("RF sensors"), kRfSensorTableSize);
    const ReadOutcome read = ReadRfRecords(cli.Exchange(), table, [&](int done) {
        progress->Step(done);
        return !cli.Interrupted();
    });
    progress->Done();
    if (read.result == ReadOutcome::Result::Done) return std::nullopt;
    if (read.result == ReadOutcome::Result::Stopped) {
        return cli.Fail(ExitCode::PanelFailed, QStringLiteral("cancelled (Ctrl-C) before RF sensor slot %1").arg(read.slot));
    }
    return cli.Fail(ExitCode::PanelFailed,
                    QStringLiteral("the panel %1 reading RF sensor slot %2; check the cable and run the command again")
                        .arg(FailedVerb(read.result))
                        .arg(read.slot));
}

std::optional<RfSensorRecord> SlotRecord(const RfSensorTable& table, int slot)
{
    const auto found = table.find(slot);
    if (found == table.end()) return std::nullopt;
    return UnpackRfSensorRecord(found->second.data(), found->second.size());
}

// The fields that differ, slot by slot, between two RF sensor tables.
std::map<int, std::vector<FieldChange>> CompareRfTables(const RfSensorTable& left, const RfSensorTable& right)
{
    std::map<int, std::vector<FieldChange>> differences;
    std::set<int> taken;
    for (const auto& [slot, bytes] : left) taken.insert(slot);
    for (const auto& [slot, bytes] : right) taken.insert(slot);
    for (int slot : taken) {
        const auto ours = left.find(slot);
        const auto theirs = right.find(slot);
        const std::vector<std::uint8_t> before = ours == left.end() ? std::vector<std::uint8_t>{} : ours->second;
        const std::vector<std::uint8_t> after = theirs == right.end() ? std::vector<std::uint8_t>{} : theirs->second;
        if (before == after) continue;
        std::vector<FieldChange> changes = CompareRfSensors(SlotRecord(left, slot), SlotRecord(right, slot));
        // Reserved bytes the fields do not show can differ alone.
        if (changes.empty()) changes.push_back({"Bytes", HexBytes(before), HexBytes(after)});
        differences[slot] = std::move(changes);
    }
    return differences;
}

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
    const FileContents contents = ReadRegularFile(file.toStdString(), kMaxBackupFileSize);
    if (!contents.Ok()) {
        return cli.Fail(ExitCode::BadFile,
                        QStringLiteral("cannot read %1: %2").arg(file, QString::fromStdString(contents.error)));
    }
    const BackupParse parse = BackupFromJson(
        QByteArray::fromRawData(reinterpret_cast<const char*>(contents.bytes.data()), static_cast<qsizetype>(contents.bytes.size())));
    if (!parse.backup) {
        return cli.Fail(ExitCode::BadFile, QStringLiteral("%1 refused: %2; nothing was written").arg(file, parse.error));
    }
    backup = *parse.backup;
    return std::nullopt;
}

std::optional<int> ReadWholeConfiguration(CliContext& cli, PanelBackup& backup)
{
    backup = PanelBackup{cli.Panel(), TakenMs(cli.Env().clock.Now()), {}, std::nullopt};
    return ReadBlocks(cli, ConfigurationBlockIds(), backup.blocks);
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
    const Identification& panel = cli.Panel();
    PanelBackup backup{panel, TakenMs(cli.Env().clock.Now()), {}, std::nullopt};
    if (const auto failed = ReadBlocks(cli, ConfigurationBlockIds(), backup.blocks)) return *failed;
    if (cli.IsSet("rf")) {
        backup.rf.emplace();
        if (const auto failed = ReadRfSensors(cli, *backup.rf)) return *failed;
    }
    // Written whole or not at all: a failed save leaves the old file as it was.
    const QByteArray json = BackupToJson(backup);
    if (const std::string error = WriteFileAtomically(file.toStdString(), {json.constData(), static_cast<std::size_t>(json.size())});
        !error.empty()) {
        return cli.Fail(ExitCode::BadFile, QStringLiteral("cannot write %1: %2; the file was left as it was, nothing was "
                                                          "saved")
                                               .arg(file, QString::fromStdString(error)));
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
    const Identification& panel = cli.Panel();
    if (backup.panel.model != panel.model) {
        return cli.Fail(ExitCode::BadFile, QStringLiteral("%1 was taken from a panel of model %2 (%3); the panel on %4 is "
                                                          "model %5 (%6); nothing was written")
                                               .arg(file)
                                               .arg(backup.panel.model)
                                               .arg(QString::fromStdString(ModelDisplayName(backup.panel.model)))
                                               .arg(cli.PortName())
                                               .arg(panel.model)
                                               .arg(QString::fromStdString(ModelDisplayName(panel.model))));
    }
    // The whole configuration is read, not only what may be written: it is
    // kept in the library before anything changes.
    PanelBackup before;
    if (const auto failed = ReadWholeConfiguration(cli, before)) return *failed;
    const RestorePlan plan = PlanRestore(backup.blocks, before.blocks);
    if (plan.refusal) {
        return cli.Fail(ExitCode::BadFile, QStringLiteral("%1 holds %2 of %3 bytes; the panel's is %4 bytes long; "
                                                          "nothing was written")
                                               .arg(file, BlockName(plan.refusal->block))
                                               .arg(plan.refusal->savedLength)
                                               .arg(plan.refusal->panelLength));
    }
    const std::vector<std::uint8_t>& differing = plan.toWrite;

    QTextStream& out = cli.Env().out;
    // Sensors are devices of the site where they were enrolled: a copy on
    // another panel would answer for sensors that are not there.
    const int rfSensors = backup.rf ? static_cast<int>(backup.rf->size()) : 0;
    if (rfSensors > 0 && !cli.Json()) {
        out << file << " holds " << rfSensors << " RF sensors; restore does not write them: enrol the sensors of this "
            << "site on the panel itself\n";
    }
    QJsonArray notWritten;
    for (std::uint8_t id : differing) notWritten.append(id);
    if (cli.IsSet("dry-run")) {
        if (cli.Json()) {
            cli.PrintJson({{"dryRun", true}, {"wouldWrite", notWritten}, {"rfSensorsNotRestored", rfSensors}});
        } else {
            if (differing.empty()) out << "The panel already holds every block of " << file << '\n';
            for (std::uint8_t id : differing) out << "Would write " << BlockName(id) << '\n';
            out.flush();
        }
        return Code(ExitCode::Done);
    }

    // Nothing an installer changes is without a way back.
    if (!differing.empty()) {
        if (const auto failed = cli.KeepSnapshot(before, SnapshotReason::BeforeRestore)) {
            cli.Env().err << "quorvel-cli: nothing was written\n";
            return *failed;
        }
    }
    const std::unique_ptr<Progress> progress = cli.MakeProgress(QStringLiteral("Writing"), static_cast<int>(differing.size()));
    const WriteOutcome outcome = WriteBlocks(cli.Exchange(), backup.blocks, differing, [&](int done) {
        progress->Step(done);
        return !cli.Interrupted();
    });
    progress->Done();
    QString failure;
    switch (outcome.result) {
    case WriteOutcome::Result::Done: break;
    case WriteOutcome::Result::Stopped:
        failure = QStringLiteral("cancelled (Ctrl-C) before %1").arg(BlockName(outcome.block));
        break;
    case WriteOutcome::Result::Refused:
    case WriteOutcome::Result::NoAnswer:
        failure = QStringLiteral("the panel %1 writing %2")
                      .arg(outcome.result == WriteOutcome::Result::Refused ? "refused" : "did not answer",
                           BlockName(outcome.block));
        break;
    case WriteOutcome::Result::ReadBackDiffers:
        failure = QStringLiteral("%1 did not read back as written").arg(BlockName(outcome.block));
        break;
    }
    QJsonArray written;
    for (std::uint8_t id : outcome.written) written.append(id);
    notWritten = QJsonArray();
    for (std::uint8_t id : outcome.notWritten) notWritten.append(id);

    if (cli.Json()) {
        cli.PrintJson({{"written", written}, {"notWritten", notWritten}, {"error", failure},
                       {"rfSensorsNotRestored", rfSensors}});
    } else {
        if (differing.empty()) out << "The panel already holds every block of " << file << '\n';
        for (const QJsonValue& id : written) out << "Written " << BlockPlaceName(static_cast<std::uint8_t>(id.toInt())) << '\n';
        for (const QJsonValue& id : notWritten) {
            out << "Not written " << BlockPlaceName(static_cast<std::uint8_t>(id.toInt())) << '\n';
        }
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
    BlockMap right;
    std::optional<RfSensorTable> rightRf;
    QString rightName = other;
    if (!other.isEmpty()) {
        PanelBackup second;
        if (const auto failed = LoadBackupFile(cli, other, second)) return *failed;
        right = second.blocks;
        rightRf = second.rf;
    } else {
        if (const auto failed = cli.Connect()) return *failed;
        rightName = cli.PortName();
        std::vector<std::uint8_t> ids;
        for (const auto& [id, bytes] : left.blocks) ids.push_back(id);
        if (const auto failed = ReadBlocks(cli, ids, right)) return *failed;
        // The panel's sensors are read only to compare them with a file's.
        if (left.rf) {
            rightRf.emplace();
            if (const auto failed = ReadRfSensors(cli, *rightRf)) return *failed;
        }
    }

    QTextStream& out = cli.Env().out;
    QJsonArray differences;
    for (const auto& [id, bytes] : left.blocks) {
        const auto found = right.find(id);
        const std::vector<std::uint8_t> theirs = found == right.end() ? std::vector<std::uint8_t>{} : found->second;
        const std::vector<FieldChange> changes = CompareBlock(bytes, theirs);
        if (changes.empty()) continue;
        differences.append(
            QJsonObject{{"id", id}, {"title", BlockTitle(id)}, {"fields", ShowChanges(cli, BlockName(id), changes)}});
    }
    QJsonArray rfDifferences;
    if (left.rf && rightRf) {
        for (const auto& [slot, changes] : CompareRfTables(*left.rf, *rightRf)) {
            const QString name = QStringLiteral("RF sensor slot %1").arg(slot);
            rfDifferences.append(QJsonObject{{"slot", slot}, {"fields", ShowChanges(cli, name, changes)}});
        }
    }
    const bool identical = differences.isEmpty() && rfDifferences.isEmpty();
    if (cli.Json()) {
        QJsonObject result{{"left", file}, {"right", rightName}, {"identical", identical}, {"blocks", differences}};
        if (left.rf && rightRf) result.insert("rf", rfDifferences);
        cli.PrintJson(result);
    } else if (identical) {
        out << "No differences between " << file << " and " << rightName << '\n';
    }
    out.flush();
    return Code(ExitCode::Done);
}
