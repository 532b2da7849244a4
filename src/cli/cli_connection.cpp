#include "cli/cli_connection.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "cli/cli_library_access.h"
#include "cli/cli_output.h"
#include "cli/interrupt_watch.h"
#include "cli/terminal_text.h"
#include "core/panel/model_capabilities.h"
#include "ports/network_address.h"
#include "ports/port_catalogue.h"
#include "ports/port_path.h"
#include "session/frame_trace_file.h"
#include "session/panel_exchange.h"
#include "session/panel_session.h"

namespace {

constexpr std::array<qint32, 5> kSpeeds{9600, 19200, 38400, 57600, 115200};

}  // namespace

CliConnection::CliConnection(CliOutput& output, CliLibraryAccess& library) : output_(output), library_(library)
{
    // Why the port folder or an entry of it is ignored: said once, with the
    // tool's other messages.
    output_.Env().ports.SetReasonSink([this](const std::string& reason) {
        output_.Env().err << "quorvel-cli: " << PrintableText(QString::fromStdString(reason)) << '\n';
        output_.Env().err.flush();
    });
}

CliConnection::~CliConnection() { output_.Env().ports.SetReasonSink(nullptr); }

PanelSession& CliConnection::Session()
{
    if (!session_) {
        session_ = std::make_unique<PanelSession>(output_.Env().ports);
        session_->SetTrace(trace_.get());
        QObject::connect(session_.get(), &PanelSession::PortFailed, session_.get(), [this] { output_.PortLost(PortName()); });
        exchange_ = std::make_unique<PanelExchange>(*session_, PanelExchange::Options{.answerTimeoutMs = output_.Env().answerTimeoutMs});
    }
    return *session_;
}

void CliConnection::EndOnPortLoss(QEventLoop& loop, bool& lost)
{
    PanelSession& session = Session();
    const auto end = [&loop, &lost, &session] {
        lost = true;
        session.ClosePort();
        loop.quit();
    };
    QObject::connect(&session, &PanelSession::PortFailed, &loop, end);
    QObject::connect(&session, &PanelSession::PortClosed, &loop, end);
}

PanelExchange& CliConnection::Exchange()
{
    Session();
    return *exchange_;
}

void CliConnection::CatchInterrupt()
{
    interrupt_ = std::make_unique<InterruptWatch>([this] {
        if (interrupted_) return;
        interrupted_ = true;
        output_.Env().err << "quorvel-cli: Ctrl-C: stopping after the current exchange; press Ctrl-C again to quit at once\n";
        output_.Env().err.flush();
    });
}

bool CliConnection::Interrupted()
{
    if (interrupt_) interrupt_->Poll();
    return interrupted_;
}

QString CliConnection::PortName() const { return byPath_ ? device_ : QStringLiteral("COM%1").arg(number_); }

std::optional<int> CliConnection::OpenTrace()
{
    if (!output_.IsSet("trace")) return std::nullopt;
    if (const auto refused = library_.RefuseLibraryFile(output_.Value("trace"))) return refused;
    trace_ = std::make_unique<FrameTraceFile>(output_.Env().clock);
    if (!trace_->Open(output_.Value("trace"))) {
        return output_.Fail(ExitCode::BadFile, QStringLiteral("cannot open the trace file %1: %2; choose a writable path")
                                           .arg(output_.Value("trace"), trace_->ErrorText()));
    }
    QObject::connect(trace_.get(), &FrameTraceFile::Stopped, [this](const QString& reason) {
        output_.Env().err << "quorvel-cli: tracing stopped: cannot write " << output_.Value("trace") << ": " << reason << '\n';
        output_.Env().err.flush();
    });
    return std::nullopt;
}

std::optional<int> CliConnection::ResolvePort()
{
    const QString given = output_.Value("port");
    const QString text = given.trimmed();
    if (text.isEmpty()) {
        return output_.Fail(ExitCode::Usage, QStringLiteral("give the panel's port with --port (COM3, 3, a device path, "
                                                    "rfc2217://HOST:PORT or socket://HOST:PORT)"));
    }
    // Written as an address, it is one: a wrong one is a usage error, never
    // a device path to look for. Read as given, so a stray blank is named.
    if (LooksLikeNetworkAddress(text.toStdString())) return ResolveNetworkPort(given);
    // Anything named COM, or a bare number, is a COM number: one out of
    // range is a usage error, never a path to look for.
    static const QRegularExpression comPattern(QStringLiteral("^(?:COM)?([-+]?\\d+)$"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression comPrefix(QStringLiteral("^COM"), QRegularExpression::CaseInsensitiveOption);
    if (const QRegularExpressionMatch match = comPattern.match(text); match.hasMatch() || comPrefix.match(text).hasMatch()) {
        bool ok = false;
        number_ = match.hasMatch() ? match.captured(1).toInt(&ok) : 0;
        if (!ok || number_ < kFirstComNumber || number_ > kLastComNumber) {
            return output_.Fail(ExitCode::Usage, QStringLiteral("%1 is not a port number; use COM1 to COM255").arg(text));
        }
        device_ = QString::fromStdString(output_.Env().ports.DevicePath(number_).value_or(std::string()));
        return std::nullopt;
    }
    // A device path: its own COM number when the catalogue has one, else a
    // number of its own for this process (never shown: the user named a path).
    byPath_ = true;
    device_ = text;
    for (const PortEntry& entry : output_.Env().ports.Scan()) {
        if (QString::fromStdString(entry.devicePath) == text) {
            number_ = entry.number;
            return std::nullopt;
        }
    }
    number_ = kLastComNumber;
    output_.Env().ports.PinInMemory(number_, text.toStdString());
    return std::nullopt;
}

namespace {

QString AddressProblemText(AddressProblem problem)
{
    switch (problem) {
    case AddressProblem::UnknownScheme: return QStringLiteral("the scheme is neither rfc2217 nor socket");
    case AddressProblem::Blank: return QStringLiteral("it holds a blank");
    case AddressProblem::ControlCharacter: return QStringLiteral("it holds a control character");
    case AddressProblem::UserInfo:
        return QStringLiteral("it holds a user name (user@): the link carries no credentials");
    case AddressProblem::MissingHost: return QStringLiteral("the host is missing");
    case AddressProblem::BadHost:
        return QStringLiteral("the host is no IPv4 address, [IPv6] address or host name");
    case AddressProblem::MissingPort: return QStringLiteral("the port is missing");
    case AddressProblem::BadPort: return QStringLiteral("the port is not a number from 1 to 65535");
    case AddressProblem::TrailingText: return QStringLiteral("something follows the port");
    }
    return QString();
}

}  // namespace

std::optional<int> CliConnection::ResolveNetworkPort(const QString& given)
{
    const AddressParse parse = ParseNetworkAddress(given.toStdString());
    if (!parse.address) {
        return output_.Fail(ExitCode::Usage, QStringLiteral("\"%1\" is not a network port: %2; write rfc2217://HOST:PORT or "
                                                    "socket://HOST:PORT (an IPv6 host in brackets)")
                                         .arg(PrintableText(given), AddressProblemText(parse.problem)));
    }
    // A number of its own for this process, as a device path gets.
    number_ = kLastComNumber;
    std::map<int, NetworkAddress> network = output_.Env().ports.NetworkPorts();
    network[number_] = *parse.address;
    output_.Env().ports.SetNetworkPorts(std::move(network));
    output_.Env().ports.Unpin(number_);
    device_ = QString::fromStdString(parse.address->Text());
    byPath_ = true;
    network_ = true;
    return std::nullopt;
}

namespace {

// Why a path that exists is no serial port ("a regular file"), or nothing
// when it may be one (a terminal device).
std::optional<QString> NotASerialPort(const QString& device)
{
    const std::optional<NotAPort> why = WhyNotAPort(device.toLocal8Bit().toStdString(), /*askTerminal=*/true);
    if (!why) return std::nullopt;
    switch (*why) {
    case NotAPort::RegularFile: return QStringLiteral("a regular file");
    case NotAPort::Folder: return QStringLiteral("a folder");
    case NotAPort::Fifo: return QStringLiteral("a FIFO");
    case NotAPort::Socket: return QStringLiteral("a socket");
    case NotAPort::NotATerminal: return QStringLiteral("a device that is no terminal");
    case NotAPort::BlockDevice:
    case NotAPort::NotADevice: break;
    }
    return QStringLiteral("not a character device");
}

}  // namespace

int CliConnection::PortOpenFailure()
{
    if (network_) return NetworkOpenFailure();
    const QString name = QStringLiteral("COM%1").arg(number_);
    if (!byPath_) {
        // The catalogue said why just before; this says what to do.
        if (output_.Env().ports.IgnoredEntryReason(number_)) {
            const QString entry = QString::fromStdString((output_.Env().ports.PortFolder() / name.toStdString()).string());
            return output_.Fail(ExitCode::PortError, QStringLiteral("%1 cannot be used while its entry %2 is ignored; link it to "
                                                            "the panel's serial device, or remove it")
                                                 .arg(name, entry));
        }
    }
    // Only the name the user gave: a path is never shown as a COM number.
    const QString given = byPath_ ? device_ : device_.isEmpty() ? name : QStringLiteral("%1 (%2)").arg(name, device_);
    if (device_.isEmpty() || !QFileInfo::exists(device_)) {
        return output_.Fail(ExitCode::PortError, QStringLiteral("port %1 not found; plug the panel's cable in, or list the ports "
                                                        "with \"quorvel-cli ports\"").arg(given));
    }
    if (const std::optional<QString> what = NotASerialPort(device_)) {
        return output_.Fail(ExitCode::PortError, QStringLiteral("%1 is not a serial port (it is %2); give the panel's port")
                                             .arg(given, *what));
    }
    const QByteArray path = device_.toLocal8Bit();
    if (::access(path.constData(), R_OK | W_OK) != 0 && errno == EACCES) {
        const QString group = QFileInfo(device_).group();
        return output_.Fail(ExitCode::PortError,
                    QStringLiteral("no permission to open %1 (owned by group \"%2\"); join that group with "
                                   "\"sudo usermod -aG %2 $USER\", then log in again")
                        .arg(device_, group.isEmpty() ? QStringLiteral("dialout") : group));
    }
    return output_.Fail(ExitCode::PortError, QStringLiteral("cannot open %1; close any other program using it and try again")
                                         .arg(given));
}

namespace {

// "the baud rate 9600 bit/s", "the data size 8": a setting as it was asked.
QString AskedText(Rfc2217Client::Setting setting, std::uint32_t value)
{
    switch (setting) {
    case Rfc2217Client::Setting::ComPortOption:
        return QStringLiteral("the COM-PORT-OPTION (RFC 2217)");
    case Rfc2217Client::Setting::BaudRate: return QStringLiteral("the baud rate %1 bit/s").arg(value);
    case Rfc2217Client::Setting::DataSize: return QStringLiteral("the data size %1").arg(value);
    case Rfc2217Client::Setting::Parity: return QStringLiteral("no parity");
    case Rfc2217Client::Setting::StopSize: return QStringLiteral("%1 stop bit").arg(value);
    }
    return QString();
}

}  // namespace

int CliConnection::NetworkOpenFailure()
{
    const std::optional<LinkOpenFailure> failure = Session().OpenFailure();
    if (!failure) return output_.Fail(ExitCode::PortError, QStringLiteral("cannot open %1").arg(device_));
    const QString seconds = QString::number(failure->timeoutMs / 1000.0);
    const QString rawHint = QStringLiteral("; if it is a converter in raw TCP mode, use socket:// instead");
    using Kind = LinkOpenFailure::Kind;
    switch (failure->kind) {
    case Kind::HostNotFound:
        return output_.Fail(ExitCode::PortError, QStringLiteral("cannot find the host of %1 (%2); check the address")
                                             .arg(device_, failure->systemText));
    case Kind::ConnectionRefused:
        return output_.Fail(ExitCode::PortError, QStringLiteral("nothing listens at %1 (connection refused); check the address "
                                                        "and that the serial server runs").arg(device_));
    case Kind::ConnectTimedOut:
        return output_.Fail(ExitCode::PortError, QStringLiteral("no answer from %1 within %2 s; check the address, the network "
                                                        "and that the serial server runs").arg(device_, seconds));
    case Kind::NetworkError:
        return output_.Fail(ExitCode::PortError, QStringLiteral("cannot connect to %1: %2").arg(device_, failure->systemText));
    case Kind::ServerClosed:
        return output_.Fail(ExitCode::PortError, QStringLiteral("the server at %1 closed the connection while the line was set "
                                                        "up; another client may be using the port").arg(device_));
    case Kind::NotAnswered: {
        QString message = QStringLiteral("the server at %1 did not answer %2 within %3 s")
                              .arg(device_, AskedText(failure->setting, failure->asked), seconds);
        if (failure->setting == Rfc2217Client::Setting::ComPortOption) message += rawHint;
        return output_.Fail(ExitCode::PortError, message);
    }
    case Kind::SettingRefused: {
        QString message = QStringLiteral("the server at %1 refused %2")
                              .arg(device_, AskedText(failure->setting, failure->asked));
        if (failure->answered) message += QStringLiteral(" (it set %1)").arg(*failure->answered);
        if (failure->setting == Rfc2217Client::Setting::ComPortOption) message += rawHint;
        else if (failure->setting == Rfc2217Client::Setting::BaudRate) message += QStringLiteral("; choose another --speed");
        return output_.Fail(ExitCode::PortError, message);
    }
    }
    return output_.Fail(ExitCode::PortError, QStringLiteral("cannot open %1").arg(device_));
}

std::optional<int> CliConnection::CheckConnectionOptions()
{
    if (optionsChecked_) return std::nullopt;
    if (output_.IsSet("speed")) {
        bool ok = false;
        speed_ = output_.Value("speed").toInt(&ok);
        if (!ok || std::find(kSpeeds.begin(), kSpeeds.end(), speed_) == kSpeeds.end()) {
            return output_.Fail(ExitCode::Usage, QStringLiteral("speed %1 is not one of 9600, 19200, 38400, 57600, 115200")
                                             .arg(output_.Value("speed")));
        }
    }
    if (const auto failed = ResolvePort()) return failed;
    optionsChecked_ = true;
    return std::nullopt;
}

int CliConnection::NoPanelAnswered()
{
    return output_.Fail(ExitCode::PanelFailed, QStringLiteral("no panel answered on %1 at %2 bit/s; check the cable, the panel's "
                                                      "power and --speed")
                                           .arg(PortName())
                                           .arg(speed_));
}

std::optional<int> CliConnection::Connect()
{
    if (const auto failed = CheckConnectionOptions()) return failed;
    if (Session().OpenPort(number_, speed_) != PanelSession::OpenResult::Opened) return PortOpenFailure();
    const std::optional<Identification> identity = Exchange().Identify(/*sentOnOpen=*/true);
    if (!identity) return NoPanelAnswered();
    panel_ = *identity;
    library_.Sighted(panel_);
    if (!IsSupportedPanelModel(panel_.model)) {
        return output_.Fail(ExitCode::PanelFailed, QStringLiteral("the panel on %1 is model %2, which this tool does not configure")
                                               .arg(PortName())
                                               .arg(panel_.model));
    }
    return std::nullopt;
}
