// The command-line tool: the panel session without a window.
//   quorvel-cli ports | identify | backup | restore | diff | flash | log   (see --help)

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>
#include <unistd.h>

#include "cli/cli_tool.h"
#include "core/files/safe_file.h"
#include "ports/port_catalogue.h"
#include "session/clock.h"

int main(int argc, char* argv[])
{
    ReportOversizedWritesAsErrors();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quorvel-cli"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    SystemPortCatalogue ports;
    SystemClock clock;
    CliEnvironment environment{ports, clock, out, err, ::isatty(STDERR_FILENO) == 1};
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    return RunCli(arguments, environment);
}
