// library: the panels the tool has met and their snapshots, from scripts;
// and the snapshots the other commands keep (a backup, and what a panel
// held before a restore or a firmware update).

#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonObject>

#include "cli/cli_commands.h"
#include "cli/cli_context.h"
#include "cli/terminal_text.h"
#include "core/files/safe_file.h"
#include "core/panel/device_identity.h"
#include "library/installation_report.h"
#include "library/report_request.h"
#include "library/panel_library.h"
#include "library/snapshot_reference.h"
#include "session/clock.h"

namespace {

QJsonObject PanelRecordJson(const PanelRecord& panel)
{
    return {{"serial", static_cast<qint64>(panel.serial)},
            {"model", panel.model},
            {"modelName", QString::fromStdString(ModelDisplayName(static_cast<std::uint8_t>(panel.model)))},
            {"version", panel.version},
            {"versionText", QString::fromStdString(VersionText(static_cast<std::uint8_t>(panel.version)))},
            {"firstSeen", panel.firstSeen.toString(Qt::ISODateWithMs)},
            {"lastSeen", panel.lastSeen.toString(Qt::ISODateWithMs)},
            {"customer", panel.customer},
            {"address", panel.address},
            {"notes", panel.notes},
            {"snapshots", panel.snapshots}};
}

QJsonObject SnapshotJson(const SnapshotInfo& snapshot)
{
    return {{"serial", static_cast<qint64>(snapshot.serial)},
            {"number", snapshot.number},
            {"taken", snapshot.taken.toString(Qt::ISODateWithMs)},
            {"toolVersion", snapshot.toolVersion},
            {"panelModel", snapshot.panelModel},
            {"panelVersion", snapshot.panelVersion},
            {"takenBy", snapshot.takenBy},
            {"reason", SnapshotReasonText(snapshot.reason)},
            {"note", snapshot.note},
            {"rf", snapshot.hasRf}};
}

QString LocalTime(const QDateTime& time) { return time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")); }

int List(CliContext& cli)
{
    PanelLibrary* library = cli.Library();
    if (!library) return cli.LibraryFailure();
    const auto panels = library->Panels(cli.Value("search"));
    if (!panels.Ok()) return cli.Fail(ExitCode::BadFile, panels.error);
    if (cli.Json()) {
        QJsonArray array;
        for (const PanelRecord& panel : *panels.value) array.append(PanelRecordJson(panel));
        cli.PrintJson({{"library", library->Location().text}, {"panels", array}});
        return Code(ExitCode::Done);
    }
    QTextStream& out = cli.Env().out;
    if (panels.value->empty()) cli.Env().err << "no panels in the library " << library->Location().text << '\n';
    for (const PanelRecord& panel : *panels.value) {
        out << panel.serial << '\t' << panel.model << '\t'
            << QString::fromStdString(VersionText(static_cast<std::uint8_t>(panel.version))) << '\t'
            << LocalTime(panel.lastSeen) << '\t' << panel.snapshots << " snapshot(s)\t" << PrintableText(panel.customer)
            << '\n';
    }
    out.flush();
    return Code(ExitCode::Done);
}

// A panel's serial, as show and edit take it: SERIAL@N is not a panel.
std::optional<SnapshotReference> PanelSerial(CliContext& cli, const QString& serialText, std::optional<int>& failed)
{
    const ReferenceParse reference = ParseSnapshotReference(serialText);
    if (reference.reference && reference.reference->number == 0) return reference.reference;
    failed = cli.Fail(ExitCode::Usage, reference.reference
                                           ? QStringLiteral("give the panel's serial alone, without @N")
                                           : reference.error);
    return std::nullopt;
}

// SERIAL or SERIAL@N, for the commands that take a snapshot.
std::optional<SnapshotReference> Reference(CliContext& cli, const QString& text, std::optional<int>& failed)
{
    const ReferenceParse reference = ParseSnapshotReference(text);
    if (!reference.reference) failed = cli.Fail(ExitCode::Usage, reference.error);
    return reference.reference;
}

int Show(CliContext& cli, const QString& serialText)
{
    std::optional<int> failed;
    const std::optional<SnapshotReference> reference = PanelSerial(cli, serialText, failed);
    if (!reference) return *failed;
    PanelLibrary* library = cli.Library();
    if (!library) return cli.LibraryFailure();
    const auto panel = library->Panel(reference->serial);
    if (!panel.Ok()) return cli.Fail(ExitCode::BadFile, panel.error);
    if (!panel.value->has_value()) {
        return cli.Fail(ExitCode::BadFile,
                        QStringLiteral("panel %1 is not in the library %2").arg(serialText, library->Location().text));
    }
    const auto history = library->History(reference->serial);
    if (!history.Ok()) return cli.Fail(ExitCode::BadFile, history.error);
    if (cli.Json()) {
        QJsonArray snapshots;
        for (const SnapshotInfo& snapshot : *history.value) snapshots.append(SnapshotJson(snapshot));
        QJsonObject result = PanelRecordJson(**panel.value);
        result.insert("history", snapshots);
        cli.PrintJson(result);
        return Code(ExitCode::Done);
    }
    const PanelRecord& record = **panel.value;
    QTextStream& out = cli.Env().out;
    out << "Serial:    " << record.serial << '\n'
        << "Model:     " << record.model << " ("
        << QString::fromStdString(ModelDisplayName(static_cast<std::uint8_t>(record.model))) << ")\n"
        << "Version:   " << QString::fromStdString(VersionText(static_cast<std::uint8_t>(record.version))) << '\n'
        << "Seen:      " << LocalTime(record.firstSeen) << " to " << LocalTime(record.lastSeen) << '\n'
        << "Customer:  " << PrintableText(record.customer) << '\n'
        << "Address:   " << PrintableText(record.address) << '\n'
        << "Notes:     " << PrintableText(record.notes) << '\n';
    for (const SnapshotInfo& snapshot : *history.value) {
        out << '@' << snapshot.number << '\t' << LocalTime(snapshot.taken) << '\t'
            << QString::fromStdString(VersionText(static_cast<std::uint8_t>(snapshot.panelVersion))) << '\t'
            << PrintableText(snapshot.takenBy) << '\t' << SnapshotReasonText(snapshot.reason) << (snapshot.hasRf ? "\tRF" : "")
            << (snapshot.note.isEmpty() ? QString() : '\t' + PrintableText(snapshot.note)) << '\n';
    }
    out.flush();
    return Code(ExitCode::Done);
}

int Export(CliContext& cli, const QString& referenceText, const QString& file)
{
    std::optional<int> failed;
    const std::optional<SnapshotReference> reference = Reference(cli, referenceText, failed);
    if (!reference) return *failed;
    if (const std::string problem = CheckWriteDestination(file.toStdString()); !problem.empty()) {
        return cli.Fail(ExitCode::BadFile, QStringLiteral("cannot write %1: %2").arg(file, QString::fromStdString(problem)));
    }
    if (const auto refused = cli.RefuseLibraryFile(file)) return *refused;
    PanelLibrary* library = cli.Library();
    if (!library) return cli.LibraryFailure();
    const auto snapshot = library->Snapshot(reference->serial, reference->number);
    if (!snapshot.Ok()) return cli.Fail(ExitCode::BadFile, snapshot.error);
    if (const QString error = WriteBackupFile(file, *snapshot.value); !error.isEmpty()) {
        return cli.Fail(ExitCode::BadFile, QStringLiteral("cannot write %1: %2; the file was left as it was").arg(file, error));
    }
    if (cli.Json()) {
        cli.PrintJson({{"file", file}, {"serial", static_cast<qint64>(reference->serial)}});
    } else {
        cli.Env().out << "Exported " << referenceText << " to " << file << '\n';
        cli.Env().out.flush();
    }
    return Code(ExitCode::Done);
}

int Import(CliContext& cli, const QString& file)
{
    PanelBackup backup;
    if (const auto failed = LoadBackupFile(cli, file, backup)) return *failed;
    PanelLibrary* library = cli.Library();
    if (!library) return cli.LibraryFailure();
    const auto stored =
        library->StoreSnapshot(backup, cli.SnapshotOrigin(SnapshotReason::Imported, QStringLiteral("imported from %1").arg(file)));
    if (!stored.Ok()) return cli.Fail(ExitCode::BadFile, stored.error);
    if (cli.Json()) {
        cli.PrintJson({{"file", file}, {"snapshot", SnapshotJson(*stored.value)}});
    } else {
        cli.Env().out << "Imported " << file << " as " << stored.value->serial << '@' << stored.value->number << '\n';
        cli.Env().out.flush();
    }
    return Code(ExitCode::Done);
}

// Sets the customer fields given, keeping the others: what an office system
// knows of a site reaches the library without the window.
int Edit(CliContext& cli, const QString& serialText)
{
    std::optional<int> failed;
    const std::optional<SnapshotReference> reference = PanelSerial(cli, serialText, failed);
    if (!reference) return *failed;
    if (!cli.IsSet("customer") && !cli.IsSet("address") && !cli.IsSet("notes")) {
        return cli.Fail(ExitCode::Usage, QStringLiteral("library edit takes --customer, --address or --notes"));
    }
    PanelLibrary* library = cli.Library();
    if (!library) return cli.LibraryFailure();
    const auto panel = library->Panel(reference->serial);
    if (!panel.Ok()) return cli.Fail(ExitCode::BadFile, panel.error);
    if (!panel.value->has_value()) {
        return cli.Fail(ExitCode::BadFile, QStringLiteral("no panel with serial %1 in the library %2")
                                               .arg(reference->serial)
                                               .arg(library->Location().text));
    }
    const PanelRecord& record = **panel.value;
    InstallerFields fields{record.customer, record.address, record.notes};
    if (cli.IsSet("customer")) fields.customer = cli.Value("customer");
    if (cli.IsSet("address")) fields.address = cli.Value("address");
    if (cli.IsSet("notes")) fields.notes = cli.Value("notes");
    if (const auto problem = CheckInstallerFields(fields)) {
        return cli.Fail(ExitCode::Usage, QStringLiteral("%1; nothing was changed").arg(*problem));
    }
    const auto saved = library->SetInstallerFields(reference->serial, fields);
    if (!saved.Ok()) return cli.Fail(ExitCode::BadFile, saved.error);
    const auto updated = library->Panel(reference->serial);
    if (!updated.Ok() || !updated.value->has_value()) return cli.Fail(ExitCode::BadFile, updated.error);
    if (cli.Json()) {
        cli.PrintJson(PanelRecordJson(**updated.value));
    } else {
        cli.Env().out << "Saved the customer fields of panel " << reference->serial << '\n';
        cli.Env().out.flush();
    }
    return Code(ExitCode::Done);
}

}  // namespace

int RunLibrary(CliContext& cli, const QStringList& operands)
{
    const QString action = operands.value(0);
    if (action == "list" && operands.size() == 1) return List(cli);
    if (action == "show" && operands.size() == 2) return Show(cli, operands[1]);
    if (action == "export" && operands.size() == 3) return Export(cli, operands[1], operands[2]);
    if (action == "import" && operands.size() == 2) return Import(cli, operands[1]);
    if (action == "edit" && operands.size() == 2) return Edit(cli, operands[1]);
    return cli.Fail(ExitCode::Usage, QStringLiteral("library takes: list [--search TEXT], show SERIAL, export "
                                                    "SERIAL[@N] FILE, import FILE, edit SERIAL [--customer TEXT] "
                                                    "[--address TEXT] [--notes TEXT]"));
}

int RunReport(CliContext& cli, const QString& referenceText)
{
    std::optional<int> failed;
    const std::optional<SnapshotReference> reference = Reference(cli, referenceText, failed);
    if (!reference) return *failed;
    const QString file = cli.Value("output");
    if (file.isEmpty()) return cli.Fail(ExitCode::Usage, QStringLiteral("give the report's file with -o FILE"));
    if (const std::string problem = CheckWriteDestination(file.toStdString()); !problem.empty()) {
        return cli.Fail(ExitCode::BadFile, QStringLiteral("cannot write %1: %2").arg(file, QString::fromStdString(problem)));
    }
    if (!cli.IsSet("html") && qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        return cli.Fail(ExitCode::Usage, QStringLiteral("a PDF report needs the graphical libraries; use --html"));
    }
    if (const auto refused = cli.RefuseLibraryFile(file)) return *refused;
    PanelLibrary* library = cli.Library();
    if (!library) return cli.LibraryFailure();
    ReportRequest request = RequestReport(*library, reference->serial, reference->number, cli.Env().clock.Now());
    switch (request.missing) {
    case ReportRequest::Missing::Nothing: break;
    case ReportRequest::Missing::Panel:
        return cli.Fail(ExitCode::BadFile, QStringLiteral("no panel with serial %1 in the library %2")
                                               .arg(reference->serial)
                                               .arg(library->Location().text));
    case ReportRequest::Missing::Snapshots:
        return cli.Fail(ExitCode::BadFile, QStringLiteral("panel %1 has no snapshot in the library %2; take one with backup")
                                               .arg(reference->serial)
                                               .arg(library->Location().text));
    case ReportRequest::Missing::Snapshot:
        return cli.Fail(ExitCode::BadFile, QStringLiteral("the library %1 holds no snapshot %2")
                                               .arg(library->Location().text, referenceText));
    }
    if (!request.input) return cli.Fail(ExitCode::BadFile, request.error);
    ReportInput& input = *request.input;
    input.showSecrets = cli.IsSet("show-secrets");
    const SnapshotInfo& chosen = input.info;
    const bool newest = reference->number == 0;

    int pages = 0;
    QByteArray bytes;
    if (cli.IsSet("html")) {
        bytes = ReportHtml(input);
    } else {
        ReportPdf pdf = ReportToPdf(input);
        bytes = std::move(pdf.bytes);
        pages = pdf.pages;
    }
    if (const std::string error = WriteFileAtomically(file.toStdString(), {bytes.constData(), static_cast<std::size_t>(bytes.size())});
        !error.empty()) {
        return cli.Fail(ExitCode::BadFile, QStringLiteral("cannot write %1: %2; the file was left as it was")
                                               .arg(file, QString::fromStdString(error)));
    }
    if (cli.Json()) {
        QJsonObject json{{"file", file}, {"snapshot", SnapshotJson(chosen)}, {"pages", pages}, {"newest", newest}};
        if (input.olderWithRf) json.insert("olderWithRf", SnapshotJson(*input.olderWithRf));
        cli.PrintJson(json);
    } else {
        QTextStream& out = cli.Env().out;
        out << "Report of " << reference->serial << '@' << chosen.number << " written to " << file;
        if (pages > 0) out << " (" << pages << " pages)";
        out << '\n';
        if (newest) {
            out << reference->serial << '@' << chosen.number << " is the panel's newest snapshot, taken "
                << LocalTime(chosen.taken) << " (" << SnapshotReasonText(chosen.reason) << ")\n";
        }
        if (const auto& older = input.olderWithRf) {
            out << "It holds no RF sensors; " << older->serial << '@' << older->number << ", taken "
                << LocalTime(older->taken) << ", has them (the report says so)\n";
        }
        out.flush();
    }
    return Code(ExitCode::Done);
}
