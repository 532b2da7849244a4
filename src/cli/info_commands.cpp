#include <QFile>
#include <QJsonArray>
#include <fstream>

#include "cli/cli_commands.h"
#include "cli/cli_context.h"
#include "core/diagnostics/diagnostic_log.h"
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
    std::ifstream in(QFile::encodeName(file).toStdString(), std::ios::binary);
    if (!in) return cli.Fail(ExitCode::BadFile, QStringLiteral("cannot read %1; check the path").arg(file));
    DiagnosticLogReader reader(in);
    if (!reader.Problem().empty()) {
        return cli.Fail(ExitCode::BadFile, QStringLiteral("%1: %2").arg(file, QString::fromStdString(reader.Problem())));
    }
    QTextStream& out = cli.Env().out;
    out << QString::fromStdString(LogCsvHeader()) << '\n';
    std::size_t count = 0;
    while (const auto record = reader.Next()) {
        out << QString::fromStdString(LogCsvLine(*record)) << '\n';
        ++count;
    }
    out.flush();
    if (!reader.Problem().empty()) {
        return cli.Fail(ExitCode::BadFile, QStringLiteral("%1: %2; the %3 record(s) before it are printed above")
                                               .arg(file, QString::fromStdString(reader.Problem()))
                                               .arg(count));
    }
    return Code(ExitCode::Done);
}
