// The command-line tool: the panel session without a window.
//   quorvel-cli ports | identify | backup | restore | diff | flash | log   (see --help)

#include <QCoreApplication>
#include <QGuiApplication>
#include <cstring>
#include <memory>
#include <QTextStream>
#include <cstdio>
#include <unistd.h>

#include "app/language.h"
#include "cli/cli_tool.h"
#include "core/files/safe_file.h"
#include "ports/port_catalogue.h"
#include "session/clock.h"

int main(int argc, char* argv[])
{
    ReportOversizedWritesAsErrors();
    // A report lays out text, which needs fonts and so a GUI application,
    // never a display: it draws off screen. Every other command stays a
    // console program.
    bool report = false;
    for (int i = 1; i < argc; ++i) report = report || std::strcmp(argv[i], "report") == 0;
    if (report && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> application =
        report ? std::make_unique<QGuiApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quorvel-cli"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    // The language is chosen before any text is made, help included; what
    // scripts read (--json, codes, exit codes) is the same in every one.
    const LanguageArgument languageArgument = FindLanguageArgument(arguments);
    const LanguageChoice language = ChooseLanguage(languageArgument);
    ApplyLanguage(*application, language.language);
    if (language.refused) {
        err << "quorvel-cli: " << RefusedLanguageText(languageArgument) << '\n';
        return 2;
    }
    arguments = WithoutLanguageArgument(arguments);
    SystemPortCatalogue ports;
    SystemClock clock;
    CliEnvironment environment{ports, clock, out, err, ::isatty(STDERR_FILENO) == 1};
    return RunCli(arguments, environment);
}
