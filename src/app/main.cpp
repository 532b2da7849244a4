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
#include "app/language.h"
#include "library/library_location.h"
#include "core/files/safe_file.h"
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
    std::fputs("quorvel " QUORVEL_VERSION "\n", stdout);
}

// Settings kept between runs: the library's location, the network ports and
// the language (never a password: that stays in libpq's own files).
constexpr const char* kLanguageKey = "language";

// The texts of start-up, before any window.
struct Startup {
    Q_DECLARE_TR_FUNCTIONS(Startup)
};

void AddOptions(QCommandLineParser& parser)
{
    parser.setApplicationDescription(
        Startup::tr("Lê e grava a configuração de uma central de alarme, cadastra seus sensores RF, atualiza seu firmware e "
           "acompanha seus diagnósticos, por uma porta serial."));
    parser.addHelpOption();
    parser.addOptions(
        {{"version", Startup::tr("Mostra a versão.")},
         {"demo", Startup::tr("Abre uma central de software ao iniciar.")},
         {"trace", Startup::tr("Acrescenta cada quadro, nos dois sentidos, ao ARQUIVO."), Startup::tr("ARQUIVO")},
         {"library", Startup::tr("A biblioteca de centrais: um arquivo SQLite ou postgresql://usuario@servidor/banco (padrão: "
                        "$QUORVEL_LIBRARY, senão a última escolhida na janela, senão a do próprio usuário)."),
          Startup::tr("BIBLIOTECA")},
         {"lang", Startup::tr("O idioma: pt_BR, es ou en (padrão: o escolhido em \"Idioma\", senão o do sistema)."),
          Startup::tr("IDIOMA")}});
}

// --help, --version and a language the tool does not speak are answered
// before the window system is touched: they must work over a remote shell,
// and the manual page is made from the help on build machines that have no
// display.
std::optional<int> AnswerWithoutWindow(int argc, char* argv[], const LanguageArgument& argument,
                                       const LanguageChoice& language)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser probe;
    AddOptions(probe);
    // Options of Qt's own (-platform, -style) are unknown here: the window's
    // parse judges them.
    const bool parsed = probe.parse(arguments);
    const bool help = parsed && probe.isSet("help");
    const bool version = parsed && probe.isSet("version");
    if (!help && !version && !language.refused) return std::nullopt;
    QCoreApplication app(argc, argv);
    ApplyLanguage(app, language.language);
    if (language.refused) {
        std::fprintf(stderr, "quorvel: %s\n", qPrintable(RefusedLanguageText(argument)));
        return 2;
    }
    if (help) {
        QCommandLineParser parser;  // its texts in the language now installed
        AddOptions(parser);
        parser.parse(arguments);
        parser.showHelp(0);  // exits
    }
    PrintVersion();
    return 0;
}

}  // namespace

int main(int argc, char* argv[])
{
    ReportOversizedWritesAsErrors();
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    const LanguageArgument languageArgument = FindLanguageArgument(arguments);
    QSettings settings(QStringLiteral("quorvel"), QStringLiteral("quorvel"));
    const LanguageChoice language = ChooseLanguage(languageArgument, settings.value(kLanguageKey).toString());
    if (const auto answered = AnswerWithoutWindow(argc, argv, languageArgument, language)) return *answered;
    QApplication app(argc, argv);
    // The application's title. Not set as the display name: Qt would append
    // that to every window's caption.
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    // Installed, the icon comes from the icon theme and the desktop entry
    // names the window for the desktop; from a build folder there is neither.
    QApplication::setDesktopFileName(QStringLiteral("quorvel"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("quorvel")));
    ApplyLanguage(app, language.language);

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
                                 },
                                 .language = LanguageCode(language.language),
                                 .rememberLanguage = [&settings](const QString& code) {
                                     settings.setValue(QLatin1String(kLanguageKey), code);
                                     settings.sync();
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
