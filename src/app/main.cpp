// Start-up: the application object, the seams, the windows, the event loop.
// An error that escapes the loop is shown in a standard box; the exit code is 0.
//   quorvel          the tool, on the machine's serial ports
//   quorvel --demo   the same, plus a software panel, opened at start
//   quorvel --trace FILE   every frame both ways appended to FILE
//   quorvel --help | --version   answered without a display

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QIcon>
#include <QMessageBox>
#include <QFileInfo>
#include <QSettings>
#include <cstdio>
#include <exception>
#include <map>
#include <optional>

#include "app/application.h"
#include "app/qt_translations.h"
#include "library/library_location.h"
#include "core/files/safe_file.h"
#include "core/tool_version.h"
#include "ports/port_catalogue.h"
#include "session/clock.h"
#include "session/frame_trace_file.h"
#include "ui/common/dialogs.h"
#include "ui/main/form_principal.h"

namespace {

void ShowEscapedError(const QString& message)
{
    QMessageBox::critical(nullptr, QApplication::applicationDisplayName(), message);
}

constexpr const char* kNetworkPortsGroup = "networkPorts";

// The network ports kept in the settings: "COM5" = "rfc2217://host:port".
// An entry that does not read (edited by hand) is left out, with a word.
std::map<int, NetworkAddress> LoadNetworkPorts(QSettings& settings)
{
    std::map<int, NetworkAddress> ports;
    settings.beginGroup(QLatin1String(kNetworkPortsGroup));
    for (const QString& key : settings.childKeys()) {
        bool ok = false;
        const int number = key.startsWith(QLatin1String("COM")) ? key.mid(3).toInt(&ok) : 0;
        const AddressParse parse = ParseNetworkAddress(settings.value(key).toString().toStdString());
        if (ok && number >= kFirstComNumber && number <= kLastComNumber && parse.address) {
            ports[number] = *parse.address;
        } else {
            std::fprintf(stderr, "quorvel: network port %s in the settings ignored: not COMn = rfc2217:// or socket://\n",
                         qPrintable(key));
        }
    }
    settings.endGroup();
    return ports;
}

void SaveNetworkPorts(QSettings& settings, const std::map<int, NetworkAddress>& ports)
{
    settings.remove(QLatin1String(kNetworkPortsGroup));
    settings.beginGroup(QLatin1String(kNetworkPortsGroup));
    for (const auto& [number, address] : ports) {
        settings.setValue(QStringLiteral("COM%1").arg(number), QString::fromStdString(address.Text()));
    }
    settings.endGroup();
    settings.sync();
}

void PrintVersion()
{
    std::printf("quorvel %s\n", kToolVersion);
}

void AddOptions(QCommandLineParser& parser)
{
    parser.setApplicationDescription(
        QStringLiteral("Read and write an alarm panel's configuration, enrol its RF sensors, update its firmware and "
                       "watch its diagnostics, over a serial port."));
    parser.addHelpOption();
    parser.addOptions({{"version", "Show the version."},
                       {"demo", "Open a software panel at start."},
                       {"trace", "Append every frame, both ways, to FILE.", "FILE"},
                       {"library", "The panel library: a SQLite file or postgresql://user@host/db (default: "
                                   "$QUORVEL_LIBRARY, else the one chosen last in the window, else the user's own).",
                        "LIBRARY"}});
}

// --help and --version are answered before the window system is touched:
// they must work over a remote shell, and the manual page is made from them
// on build machines that have no display.
std::optional<int> AnswerWithoutWindow(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    AddOptions(parser);
    // Options of Qt's own (-platform, -style) are unknown here: the window's
    // parse judges them.
    if (!parser.parse(arguments)) return std::nullopt;
    const bool help = parser.isSet("help");
    if (!help && !parser.isSet("version")) return std::nullopt;
    QCoreApplication app(argc, argv);
    if (help) parser.showHelp(0);  // exits
    PrintVersion();
    return 0;
}

}  // namespace

int main(int argc, char* argv[])
{
    ReportOversizedWritesAsErrors();
    if (const auto answered = AnswerWithoutWindow(argc, argv)) return *answered;
    QApplication app(argc, argv);
    // The application's title. Not set as the display name: Qt would append
    // that to every window's caption.
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    // Installed, the icon comes from the icon theme and the desktop entry
    // names the window for the desktop; from a build folder there is neither.
    QApplication::setDesktopFileName(QStringLiteral("quorvel"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("quorvel")));
    InstallQtTranslations(app);

    QCommandLineParser parser;
    AddOptions(parser);
    parser.process(app);
    if (parser.isSet("version")) {  // after an option of Qt's own, which the first parse refused
        PrintVersion();
        return 0;
    }

    try {
        QtDialogs dialogs;
        // The demo offers an image to try: the build makes it beside the tool.
        const QString demoFirmware = QCoreApplication::applicationDirPath() + QStringLiteral("/demo-firmware");
        if (parser.isSet("demo") && QFileInfo::exists(demoFirmware)) dialogs.SetOpenFolder(demoFirmware);
        SystemPortCatalogue ports;
        SystemClock clock;
        FrameTraceFile trace(clock);
        if (parser.isSet("trace") && !trace.Open(parser.value("trace"))) {
            dialogs.Error(nullptr, QStringLiteral("%1: %2").arg(parser.value("trace"), trace.ErrorText()));
        }
        // The tool remembers the library's location and the network ports
        // between runs (never a password: that stays in libpq's own files).
        QSettings settings(QStringLiteral("quorvel"), QStringLiteral("quorvel"));
        ports.SetNetworkPorts(LoadNetworkPorts(settings));
        QString library = parser.value("library");
        if (library.isEmpty() && qEnvironmentVariableIsEmpty(kLibraryEnvironmentVariable)) {
            library = settings.value(QStringLiteral("library")).toString();
        }
        Application application({dialogs, ports, clock},
                                {.demo = parser.isSet("demo"),
                                 .trace = trace.IsOpen() ? &trace : nullptr,
                                 .library = library,
                                 .rememberLibrary = [&settings](const QString& location) {
                                     settings.setValue(QStringLiteral("library"), location);
                                     settings.sync();
                                 },
                                 .rememberNetworkPorts = [&settings](const std::map<int, NetworkAddress>& network) {
                                     SaveNetworkPorts(settings, network);
                                 }});
        application.MainWindow().show();
        QApplication::exec();
    } catch (const std::exception& e) {
        ShowEscapedError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        ShowEscapedError(QString());
    }
    return 0;
}
