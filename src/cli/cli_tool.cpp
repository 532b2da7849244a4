#include "cli/cli_tool.h"

#include <QCommandLineParser>
#include <QHash>
#include <optional>

#include "cli/cli_commands.h"
#include "cli/cli_context.h"
#include "core/tool_version.h"
#include "library/panel_library.h"

namespace {

const char* kUsage =
    // A command and its description stand two or more spaces apart, so the
    // manual page made from this help keeps them as term and description.
    "Commands:\n"
    "  ports                                 the COM numbers and their devices\n"
    "  identify --port PORT                  model, version and serial of the panel\n"
    "  backup --port PORT FILE [--rf]        save every configuration block to FILE\n"
    "                                        (--rf: the enrolled RF sensors too)\n"
    "  restore --port PORT FILE [--dry-run]  write the blocks of FILE that differ\n"
    "  diff FILE (--port PORT | FILE2) [--show-secrets]\n"
    "                                        the fields that differ, block by block\n"
    "  flash --port PORT IMAGE.bin [--dry-run]\n"
    "                                        update the panel's firmware from an image file\n"
    "                                        (--dry-run: check the image and the panel, send nothing)\n"
    "  status --port PORT [--page NAME] [--watch]\n"
    "                                        the diagnostic window's pages, field by field\n"
    "                                        (--watch: poll as the window does, print each change\n"
    "                                        until Ctrl-C)\n"
    "  enrol --port PORT --kind pir|door|fob --zone Z [--user U] [--buttons F1,F2,F3]\n"
    "                                        enrol an RF sensor as the enrolment window does\n"
    "  log FILE                              a diagnostic log file as CSV\n"
    "  library list [--search TEXT]          the panels of the library\n"
    "  library show SERIAL                   a panel's fields and its snapshots\n"
    "  library export SERIAL[@N] FILE        a snapshot (the latest, or number N) as a backup file\n"
    "  library import FILE                   a backup file as a snapshot\n"
    "  library edit SERIAL [--customer TEXT] [--address TEXT] [--notes TEXT]\n"
    "                                        set a panel's customer fields (the others are kept)\n"
    "  report SERIAL[@N] -o FILE [--html] [--show-secrets]\n"
    "                                        the installation report of a snapshot (PDF, or HTML);\n"
    "                                        without @N of the newest, named in what it prints\n"
    "backup, restore and flash keep what the panel holds in the library (--no-library: not);\n"
    "restore also takes SERIAL[@N], a snapshot of the library.\n"
    "PORT is a COM number (COM3 or 3), a device path (/dev/ttyUSB0), or a serial line across\n"
    "the network: rfc2217://HOST:PORT (a serial server that takes the line settings, such as\n"
    "ser2net) or socket://HOST:PORT (a converter in raw TCP mode, its speed set on the converter);\n"
    "an IPv6 HOST goes in brackets: rfc2217://[::1]:2217.\n";

// The options each command takes; any other is a usage error, never ignored.
const QStringList kPanelOptions{"port", "speed", "trace", "json", "library", "no-library"};
const QHash<QString, QStringList> kCommandOptions{
    {"ports", {"json"}},
    {"identify", kPanelOptions},
    {"backup", kPanelOptions + QStringList{"rf"}},
    {"restore", kPanelOptions + QStringList{"dry-run"}},
    {"diff", kPanelOptions + QStringList{"show-secrets"}},
    {"flash", kPanelOptions + QStringList{"dry-run"}},
    {"status", kPanelOptions + QStringList{"page", "watch"}},
    {"enrol", kPanelOptions + QStringList{"kind", "zone", "user", "buttons"}},
    {"log", {}},
    {"library", {"json", "library", "search", "customer", "address", "notes"}},
    {"report", {"json", "library", "o", "output", "html", "show-secrets"}},
};

std::optional<int> CheckOptions(CliContext& cli, const QCommandLineParser& parser, const QString& command)
{
    const auto allowed = kCommandOptions.constFind(command);
    if (allowed == kCommandOptions.constEnd()) return std::nullopt;  // an unknown command says so below
    for (const QString& name : parser.optionNames()) {
        if (!allowed->contains(name)) {
            return cli.Fail(ExitCode::Usage, QStringLiteral("%1 does not take --%2\n%3").arg(command, name, kUsage));
        }
    }
    return std::nullopt;
}

int Dispatch(CliContext& cli, const QCommandLineParser& parser)
{
    const QStringList positional = parser.positionalArguments();
    const QString command = positional.value(0);
    const qsizetype operands = positional.size() - 1;
    if (const auto failed = CheckOptions(cli, parser, command)) return *failed;
    if (const auto failed = cli.OpenTrace()) return *failed;
    if (command == "ports" && operands == 0) return RunPorts(cli);
    if (command == "identify" && operands == 0) return RunIdentify(cli);
    if (command == "backup" && operands == 1) return RunBackup(cli, positional[1]);
    if (command == "restore" && operands == 1) return RunRestore(cli, positional[1]);
    if (command == "diff" && (operands == 1 || operands == 2)) return RunDiff(cli, positional[1], positional.value(2));
    if (command == "flash" && operands == 1) return RunFlash(cli, positional[1]);
    if (command == "status" && operands == 0) return RunStatus(cli);
    if (command == "enrol" && operands == 0) return RunEnrol(cli);
    if (command == "log" && operands == 1) return RunLog(cli, positional[1]);
    if (command == "library" && operands >= 1) return RunLibrary(cli, positional.mid(1));
    if (command == "report" && operands == 1) return RunReport(cli, positional[1]);
    return cli.Fail(ExitCode::Usage, command.isEmpty() ? QStringLiteral("no command given\n") + kUsage
                                                       : QStringLiteral("cannot run \"%1\" with %2 operand(s)\n%3")
                                                             .arg(command)
                                                             .arg(operands)
                                                             .arg(kUsage));
}

}  // namespace

int RunCli(const QStringList& arguments, CliEnvironment& environment)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Back up, restore and compare an alarm panel's configuration; "
                                                    "update its firmware; watch its status; enrol its RF sensors."));
    parser.addOptions({
        {"port", "The panel's port: a COM number (COM3, 3), a device path, rfc2217://HOST:PORT or socket://HOST:PORT.",
         "PORT"},
        {"speed", "The link speed: 9600, 19200, 38400, 57600 or 115200 (default).", "BIT/S"},
        {"json", "Print results as JSON, for scripts."},
        {"dry-run", "restore: list the blocks it would write, write nothing; flash: check the image and the panel, "
                    "send nothing."},
        {"rf", "backup: read the enrolled RF sensors too."},
        {"trace", "Append every frame, both ways, to FILE.", "FILE"},
        {"page", "status: one page of the diagnostic window, by its tab's name (central-alarme, modem, ...).", "NAME"},
        {"watch", "status: keep polling as the window does and print each change, until Ctrl-C."},
        {"kind", "enrol: the sensor's kind: pir, door or fob.", "KIND"},
        {"zone", "enrol: the sensor's zone, 5 to 65535.", "ZONE"},
        {"user", "enrol: the sensor's user, 1 to 65535 (default 1).", "USER"},
        {"buttons", "enrol: a key fob's button functions F1,F2,F3, by name as the window lists them or by place from 1.",
         "LIST"},
        {"library", "The panel library: a SQLite file or postgresql://user@host/db (default: $QUORVEL_LIBRARY, else "
                    "the user's own).", "LIBRARY"},
        {"no-library", "backup, restore, flash: keep nothing in the panel library."},
        {"search", "library list: only the panels whose serial, customer or address holds TEXT.", "TEXT"},
        {"customer", QStringLiteral("library edit: the customer's name (at most %1 characters).").arg(kMaxCustomerLength),
         "TEXT"},
        {"address", QStringLiteral("library edit: the site's address (at most %1 characters).").arg(kMaxAddressLength),
         "TEXT"},
        {"notes", QStringLiteral("library edit: the installer's notes (at most %1 characters).").arg(kMaxNotesLength),
         "TEXT"},
        {{"o", "output"}, "report: the file to write.", "FILE"},
        {"html", "report: an HTML file instead of a PDF."},
        {"show-secrets", "report, diff: show the Wi-Fi password (and the bytes of its block) instead of masking it."},
        {"help", "Show this help."},
        // Qt's own version option speaks in another voice.
        {{"v", "version"}, "Show the version."},
    });
    // The commands are listed after the options, unwrapped: the parser
    // would fold a long description into a narrow column.
    parser.addPositionalArgument("command",
                                 "ports, identify, backup, restore, diff, flash, status, enrol, log, library or report "
                                 "(below).");
    if (!parser.parse(QStringList{QStringLiteral("quorvel-cli")} + arguments)) {
        environment.err << "quorvel-cli: " << parser.errorText() << "\n" << kUsage;
        environment.err.flush();
        return Code(ExitCode::Usage);
    }
    if (parser.isSet("help")) {
        environment.out << parser.helpText() << '\n' << kUsage;
        environment.out.flush();
        return Code(ExitCode::Done);
    }
    if (parser.isSet("version")) {
        environment.out << "quorvel-cli " << kToolVersion << "\n";
        environment.out.flush();
        return Code(ExitCode::Done);
    }
    CliContext cli(environment, parser);
    return Dispatch(cli, parser);
}
