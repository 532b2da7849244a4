#include <QIODevice>
#include <QJsonArray>

#include "cli/cli_commands.h"
#include "cli/cli_context.h"
#include "core/diagnostics/diagnostic_log.h"
#include "core/files/safe_file.h"
#include "ports/port_catalogue.h"

int RunPorts(CliContext& cli)
{
    CliEnvironment& env = cli.Env();
    const std::vector<PortEntry> entries = env.ports.Scan();
    if (cli.Json()) {
        QJsonArray array;
        for (const PortEntry& entry : entries) {
            array.append(QJsonObject{{"com", entry.number}, {"device", QString::fromStdString(entry.devicePath)}});
        }
        cli.PrintJson({{"ports", array}});
        return Code(ExitCode::Done);
    }
    if (entries.empty()) env.err << "no serial ports found\n";
    for (const PortEntry& entry : entries) {
        env.out << "COM" << entry.number << '\t' << cli.Printable(QString::fromStdString(entry.devicePath)) << '\n';
    }
    env.out.flush();
    return Code(ExitCode::Done);
}

int RunIdentify(CliContext& cli)
{
    if (const auto failed = cli.Connect()) return *failed;
    const Identification& panel = cli.Panel();
    if (cli.Json()) {
        cli.PrintJson({{"port", cli.PortName()}, {"panel", PanelJson(panel)}});
    } else {
        QTextStream& out = cli.Env().out;
        out << "Model:   " << panel.model << " (" << QString::fromStdString(ModelDisplayName(panel.model)) << ")\n"
            << "Version: " << QString::fromStdString(VersionText(panel.version)) << '\n'
            << "Serial:  " << panel.serial << '\n';
        out.flush();
    }
    return Code(ExitCode::Done);
}

int RunLog(CliContext& cli, const QString& file)
{
    // A FIFO or a device would hang or never end: only a regular file.
    OpenedFile opened = OpenRegularFileForReading(file.toStdString(), UINT64_MAX);
    if (!opened.file) {
        return cli.Fail(ExitCode::BadFile, QStringLiteral("cannot read %1: %2").arg(file, QString::fromStdString(opened.error)));
    }
    std::setvbuf(opened.file.get(), nullptr, _IOFBF, 1 << 16);
    DiagnosticLogReader reader(opened.file.get());
    if (!reader.Problem().empty()) {
        return cli.Fail(ExitCode::BadFile, QStringLiteral("%1: %2").arg(file, QString::fromStdString(reader.Problem())));
    }
    QTextStream& out = cli.Env().out;
    out.flush();
    // The CSV is ASCII: straight to the output's device when it has one
    // (the program's standard output), else through the stream as Latin-1.
    QIODevice* device = out.device();
    const std::size_t count = WriteLogCsv(reader, [&out, device](std::string_view text) {
        if (device) {
            device->write(text.data(), static_cast<qint64>(text.size()));
        } else {
            out << QLatin1StringView(text.data(), static_cast<qsizetype>(text.size()));
        }
    });
    out.flush();
    if (!reader.Problem().empty()) {
        return cli.Fail(ExitCode::BadFile, QStringLiteral("%1: %2; the %3 record(s) before it are printed above")
                                               .arg(file, QString::fromStdString(reader.Problem()))
                                               .arg(count));
    }
    return Code(ExitCode::Done);
}
