#include "cli/cli_tool.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSaveFile>
#include <array>
#include <cerrno>
#include <fstream>
#include <memory>
#include <unistd.h>

#include "cli/backup_file.h"
#include "cli/panel_exchange.h"
#include "core/config/block_fields.h"
#include "core/config/panel_backup.h"
#include "core/diagnostics/diagnostic_log.h"
#include "core/panel/block_table.h"
#include "core/panel/model_capabilities.h"
#include "ports/port_catalogue.h"
#include "session/clock.h"
#include "session/frame_trace_file.h"
#include "session/panel_session.h"

namespace {

constexpr std::array<qint32, 5> kSpeeds{9600, 19200, 38400, 57600, 115200};
constexpr int kProgressWidth = 30;

const char* kUsage =
    "Commands:\n"
    "  ports                                 the COM numbers and their devices\n"
    "  identify --port PORT                  model, version and serial of the panel\n"
    "  backup   --port PORT FILE             save every configuration block to FILE\n"
    "  restore  --port PORT FILE [--dry-run] write the blocks of FILE that differ\n"
    "  diff     FILE (--port PORT | FILE2)   the fields that differ, block by block\n"
    "  log      FILE                         a diagnostic log file as CSV\n"
    "PORT is a COM number (COM3 or 3) or a device path (/dev/ttyUSB0).\n";

using Blocks = std::map<std::uint8_t, std::vector<std::uint8_t>>;

int Code(ExitCode code) { return static_cast<int>(code); }

QString Title(std::uint8_t id)
{
    const BlockEntry* entry = FindBlock(id);
    return entry ? QString::fromUtf8(entry->title) : QStringLiteral("block %1").arg(id);
}

QString BlockName(std::uint8_t id) { return QStringLiteral("block %1 (%2)").arg(id).arg(Title(id)); }

QString PanelText(const Identification& panel)
{
    return QStringLiteral("model %1 (%2), version %3, serial %4")
        .arg(panel.model)
        .arg(QString::fromStdString(ModelDisplayName(panel.model)))
        .arg(QString::fromStdString(VersionText(panel.version)))
        .arg(panel.serial);
}

QJsonObject PanelJson(const Identification& panel)
{
    return {{"model", panel.model},
            {"modelName", QString::fromStdString(ModelDisplayName(panel.model))},
            {"version", panel.version},
            {"versionText", QString::fromStdString(VersionText(panel.version))},
            {"serial", static_cast<qint64>(panel.serial)}};
}

// A bar on the terminal, redrawn in place; nothing when err is not a terminal.
class Progress {
public:
    Progress(CliEnvironment& env, bool enabled, QString what, int total)
        : env_(env), enabled_(enabled && env.terminal), what_(std::move(what)), total_(total)
    {
    }
    ~Progress() { Done(); }
    void Step(int done)
    {
        if (!enabled_ || total_ <= 0) return;
        const int filled = done * kProgressWidth / total_;
        env_.err << '\r' << what_ << " [" << QString(filled, QLatin1Char('#'))
                 << QString(kProgressWidth - filled, QLatin1Char(' ')) << "] " << done << '/' << total_;
        env_.err.flush();
        drawn_ = true;
    }
    void Done()
    {
        if (drawn_) env_.err << '\n';
        env_.err.flush();
        drawn_ = false;
    }

private:
    CliEnvironment& env_;
    bool enabled_;
    QString what_;
    int total_;
    bool drawn_ = false;
};

class Cli {
public:
    Cli(CliEnvironment& env, QCommandLineParser& parser) : env_(env), parser_(parser) {}

    int Run(const QStringList& positional);

private:
    int Fail(ExitCode code, const QString& message)
    {
        env_.err << "quorvel-cli: " << message << '\n';
        env_.err.flush();
        return Code(code);
    }
    void PrintJson(const QJsonObject& object)
    {
        env_.out << QJsonDocument(object).toJson(QJsonDocument::Indented);
        env_.out.flush();
    }
    bool Json() const { return parser_.isSet("json"); }

    int Ports();
    int Identify();
    int Backup(const QString& file);
    int Restore(const QString& file);
    int Diff(const QString& file, const QString& other);
    int Log(const QString& file);

    // Opens the port of --port and identifies the panel; an exit code on failure.
    std::optional<int> Connect();
    std::optional<int> ResolvePort(int& number, QString& device);
    int PortOpenFailure(int number, const QString& device);
    // Reads the blocks given, with progress; an exit code on failure.
    std::optional<int> ReadBlocks(const std::vector<std::uint8_t>& ids, Blocks& blocks, const QString& what);
    std::optional<int> LoadBackup(const QString& file, PanelBackup& backup);
    QString PortName() const { return byPath_ ? device_ : QStringLiteral("COM%1").arg(number_); }

    CliEnvironment& env_;
    QCommandLineParser& parser_;
    std::unique_ptr<PanelSession> session_;
    std::unique_ptr<PanelExchange> exchange_;
    std::unique_ptr<FrameTraceFile> trace_;
    Identification panel_;
    int number_ = 0;
    QString device_;
    bool byPath_ = false;  // the port was given as a device path
};

int Cli::Run(const QStringList& positional)
{
    if (parser_.isSet("trace")) {
        trace_ = std::make_unique<FrameTraceFile>(env_.clock);
        if (!trace_->Open(parser_.value("trace"))) {
            return Fail(ExitCode::BadFile, QStringLiteral("cannot open the trace file %1: %2; choose a writable path")
                                               .arg(parser_.value("trace"), trace_->ErrorText()));
        }
    }
    const QString command = positional.value(0);
    const qsizetype operands = positional.size() - 1;
    if (command == "ports" && operands == 0) return Ports();
    if (command == "identify" && operands == 0) return Identify();
    if (command == "backup" && operands == 1) return Backup(positional[1]);
    if (command == "restore" && operands == 1) return Restore(positional[1]);
    if (command == "diff" && (operands == 1 || operands == 2)) return Diff(positional[1], positional.value(2));
    if (command == "log" && operands == 1) return Log(positional[1]);
    return Fail(ExitCode::Usage, command.isEmpty() ? QStringLiteral("no command given\n") + kUsage
                                                   : QStringLiteral("cannot run \"%1\" with %2 operand(s)\n%3")
                                                         .arg(command)
                                                         .arg(operands)
                                                         .arg(kUsage));
}

int Cli::Ports()
{
    const std::vector<PortEntry> entries = env_.ports.Scan();
    if (Json()) {
        QJsonArray array;
        for (const PortEntry& entry : entries) {
            array.append(QJsonObject{{"com", entry.number}, {"device", QString::fromStdString(entry.devicePath)}});
        }
        PrintJson({{"ports", array}});
        return Code(ExitCode::Done);
    }
    if (entries.empty()) env_.err << "no serial ports found\n";
    for (const PortEntry& entry : entries) {
        env_.out << "COM" << entry.number << '\t' << QString::fromStdString(entry.devicePath) << '\n';
    }
    env_.out.flush();
    return Code(ExitCode::Done);
}

std::optional<int> Cli::ResolvePort(int& number, QString& device)
{
    const QString text = parser_.value("port").trimmed();
    if (text.isEmpty()) return Fail(ExitCode::Usage, QStringLiteral("give the panel's port with --port (COM3, 3 or a device path)"));
    static const QRegularExpression comPattern(QStringLiteral("^(?:COM)?(\\d{1,3})$"), QRegularExpression::CaseInsensitiveOption);
    if (const QRegularExpressionMatch match = comPattern.match(text); match.hasMatch()) {
        number = match.captured(1).toInt();
        if (number < kFirstComNumber || number > kLastComNumber) {
            return Fail(ExitCode::Usage, QStringLiteral("COM%1 is not a port number; use COM1 to COM255").arg(number));
        }
        device = QString::fromStdString(env_.ports.DevicePath(number).value_or(std::string()));
        return std::nullopt;
    }
    // A device path: its own COM number when the catalogue has one, else a
    // number of its own for this process.
    byPath_ = true;
    device = text;
    for (const PortEntry& entry : env_.ports.Scan()) {
        if (QString::fromStdString(entry.devicePath) == text) {
            number = entry.number;
            return std::nullopt;
        }
    }
    number = kLastComNumber;
    env_.ports.PinInMemory(number, text.toStdString());
    return std::nullopt;
}

int Cli::PortOpenFailure(int number, const QString& device)
{
    const QString name = QStringLiteral("COM%1").arg(number);
    if (device.isEmpty() || !QFileInfo::exists(device)) {
        const QString which = byPath_ ? device : device.isEmpty() ? name : QStringLiteral("%1 (%2)").arg(name, device);
        return Fail(ExitCode::PortError, QStringLiteral("port %1 not found; plug the panel's cable in, or list the ports "
                                                        "with \"quorvel-cli ports\"").arg(which));
    }
    const QByteArray path = device.toLocal8Bit();
    if (::access(path.constData(), R_OK | W_OK) != 0 && errno == EACCES) {
        const QString group = QFileInfo(device).group();
        return Fail(ExitCode::PortError,
                    QStringLiteral("no permission to open %1 (owned by group \"%2\"); join that group with "
                                   "\"sudo usermod -aG %2 $USER\", then log in again")
                        .arg(device, group.isEmpty() ? QStringLiteral("dialout") : group));
    }
    return Fail(ExitCode::PortError, QStringLiteral("cannot open %1 (%2); close any other program using it and try again")
                                         .arg(device, name));
}

std::optional<int> Cli::Connect()
{
    qint32 speed = 115200;
    if (parser_.isSet("speed")) {
        bool ok = false;
        speed = parser_.value("speed").toInt(&ok);
        if (!ok || std::find(kSpeeds.begin(), kSpeeds.end(), speed) == kSpeeds.end()) {
            return Fail(ExitCode::Usage, QStringLiteral("speed %1 is not one of 9600, 19200, 38400, 57600, 115200")
                                             .arg(parser_.value("speed")));
        }
    }
    if (const auto failed = ResolvePort(number_, device_)) return failed;
    session_ = std::make_unique<PanelSession>(env_.ports);
    session_->SetTrace(trace_.get());
    exchange_ = std::make_unique<PanelExchange>(*session_, PanelExchange::Options{.answerTimeoutMs = env_.answerTimeoutMs});
    if (session_->OpenPort(number_, speed) != PanelSession::OpenResult::Opened) return PortOpenFailure(number_, device_);
    const std::optional<Identification> identity = exchange_->Identify(/*sentOnOpen=*/true);
    if (!identity) {
        return Fail(ExitCode::PanelFailed, QStringLiteral("no panel answered on %1 at %2 bit/s; check the cable, the "
                                                          "panel's power and --speed")
                                               .arg(PortName())
                                               .arg(speed));
    }
    panel_ = *identity;
    if (!IsSupportedPanelModel(panel_.model)) {
        return Fail(ExitCode::PanelFailed, QStringLiteral("the panel on %1 is model %2, which this tool does not configure")
                                               .arg(PortName())
                                               .arg(panel_.model));
    }
    return std::nullopt;
}

int Cli::Identify()
{
    if (const auto failed = Connect()) return *failed;
    if (Json()) {
        PrintJson({{"port", PortName()}, {"panel", PanelJson(panel_)}});
    } else {
        env_.out << "Model:   " << panel_.model << " (" << QString::fromStdString(ModelDisplayName(panel_.model)) << ")\n"
                 << "Version: " << QString::fromStdString(VersionText(panel_.version)) << '\n'
                 << "Serial:  " << panel_.serial << '\n';
        env_.out.flush();
    }
    return Code(ExitCode::Done);
}

std::optional<int> Cli::ReadBlocks(const std::vector<std::uint8_t>& ids, Blocks& blocks, const QString& what)
{
    Progress progress(env_, !Json(), what, static_cast<int>(ids.size()));
    int done = 0;
    for (std::uint8_t id : ids) {
        const PanelExchange::Read read = exchange_->ReadBlock(id);
        if (read.outcome != PanelExchange::Outcome::Done) {
            progress.Done();
            return Fail(ExitCode::PanelFailed,
                        QStringLiteral("the panel %1 reading %2; check the cable and run the command again")
                            .arg(read.outcome == PanelExchange::Outcome::Refused ? "refused" : "did not answer")
                            .arg(BlockName(id)));
        }
        blocks[id] = read.block;
        progress.Step(++done);
    }
    return std::nullopt;
}

int Cli::Backup(const QString& file)
{
    if (const auto failed = Connect()) return *failed;
    PanelBackup backup{panel_, env_.clock.Now(), {}};
    if (const auto failed = ReadBlocks(ConfigurationBlockIds(), backup.blocks, QStringLiteral("Reading"))) return *failed;
    // Written whole or not at all: an interrupted save leaves the old file.
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(BackupToJson(backup)) < 0 || !out.commit()) {
        return Fail(ExitCode::BadFile, QStringLiteral("cannot write %1: %2; choose a writable path").arg(file, out.errorString()));
    }
    if (Json()) {
        PrintJson({{"file", file}, {"panel", PanelJson(panel_)}, {"blocks", static_cast<int>(backup.blocks.size())}});
    } else {
        env_.out << "Saved " << backup.blocks.size() << " blocks of " << PanelText(panel_) << " to " << file << '\n';
        env_.out.flush();
    }
    return Code(ExitCode::Done);
}

std::optional<int> Cli::LoadBackup(const QString& file, PanelBackup& backup)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        return Fail(ExitCode::BadFile, QStringLiteral("cannot read %1: %2").arg(file, in.errorString()));
    }
    const BackupParse parse = BackupFromJson(in.readAll());
    if (!parse.backup) {
        return Fail(ExitCode::BadFile, QStringLiteral("%1 refused: %2; nothing was written").arg(file, parse.error));
    }
    backup = *parse.backup;
    return std::nullopt;
}

int Cli::Restore(const QString& file)
{
    PanelBackup backup;
    if (const auto failed = LoadBackup(file, backup)) return *failed;
    if (const auto failed = Connect()) return *failed;
    if (backup.panel.model != panel_.model) {
        return Fail(ExitCode::BadFile, QStringLiteral("%1 was taken from a panel of model %2 (%3); the panel on %4 is model "
                                                      "%5 (%6); nothing was written")
                                           .arg(file)
                                           .arg(backup.panel.model)
                                           .arg(QString::fromStdString(ModelDisplayName(backup.panel.model)))
                                           .arg(PortName())
                                           .arg(panel_.model)
                                           .arg(QString::fromStdString(ModelDisplayName(panel_.model))));
    }
    std::vector<std::uint8_t> writable;
    for (const auto& [id, bytes] : backup.blocks) {
        if (IsWritableBlock(id)) writable.push_back(id);
    }
    Blocks current;
    if (const auto failed = ReadBlocks(writable, current, QStringLiteral("Reading"))) return *failed;
    std::vector<std::uint8_t> differing;
    for (std::uint8_t id : writable) {
        // A block of two forms (the RF block) must be in the panel's form; the
        // Wi-Fi block's length follows its texts.
        if (!FindBlock(id)->anyLength && current[id].size() != backup.blocks[id].size()) {
            return Fail(ExitCode::BadFile, QStringLiteral("%1 holds %2 of %3 bytes; the panel's is %4 bytes long; nothing "
                                                          "was written")
                                               .arg(file, BlockName(id))
                                               .arg(backup.blocks[id].size())
                                               .arg(current[id].size()));
        }
        if (current[id] != backup.blocks[id]) differing.push_back(id);
    }

    QJsonArray written;
    QJsonArray notWritten;
    for (std::uint8_t id : differing) notWritten.append(id);
    const bool dryRun = parser_.isSet("dry-run");
    if (dryRun) {
        if (Json()) {
            PrintJson({{"dryRun", true}, {"wouldWrite", notWritten}});
        } else {
            if (differing.empty()) env_.out << "The panel already holds every block of " << file << '\n';
            for (std::uint8_t id : differing) env_.out << "Would write " << BlockName(id) << '\n';
            env_.out.flush();
        }
        return Code(ExitCode::Done);
    }

    Progress progress(env_, !Json(), QStringLiteral("Writing"), static_cast<int>(differing.size()));
    QString failure;
    for (std::uint8_t id : differing) {
        const std::vector<std::uint8_t>& block = backup.blocks[id];
        const PanelExchange::Outcome outcome = exchange_->WriteBlock(block);
        if (outcome != PanelExchange::Outcome::Done) {
            failure = QStringLiteral("the panel %1 writing %2")
                          .arg(outcome == PanelExchange::Outcome::Refused ? "refused" : "did not answer", BlockName(id));
            break;
        }
        const PanelExchange::Read check = exchange_->ReadBlock(id);
        if (check.outcome != PanelExchange::Outcome::Done || check.block != block) {
            failure = QStringLiteral("%1 did not read back as written").arg(BlockName(id));
            break;
        }
        written.append(id);
        notWritten.removeFirst();
        progress.Step(static_cast<int>(written.size()));
    }
    progress.Done();

    if (Json()) {
        PrintJson({{"written", written}, {"notWritten", notWritten}, {"error", failure}});
    } else {
        if (differing.empty()) env_.out << "The panel already holds every block of " << file << '\n';
        for (const QJsonValue& id : written) env_.out << "Written " << BlockName(static_cast<std::uint8_t>(id.toInt())) << '\n';
        for (const QJsonValue& id : notWritten) {
            env_.out << "Not written " << BlockName(static_cast<std::uint8_t>(id.toInt())) << '\n';
        }
        env_.out.flush();
    }
    if (!failure.isEmpty()) {
        return Fail(ExitCode::PanelFailed, failure + QStringLiteral("; check the cable and run the restore again: it "
                                                                    "writes only the blocks that still differ"));
    }
    return Code(ExitCode::Done);
}

int Cli::Diff(const QString& file, const QString& other)
{
    if (other.isEmpty() != parser_.isSet("port")) {
        return Fail(ExitCode::Usage, QStringLiteral("compare a file with --port PORT or with a second file, not both"));
    }
    PanelBackup left;
    if (const auto failed = LoadBackup(file, left)) return *failed;
    Blocks right;
    QString rightName = other;
    if (!other.isEmpty()) {
        PanelBackup second;
        if (const auto failed = LoadBackup(other, second)) return *failed;
        right = second.blocks;
    } else {
        if (const auto failed = Connect()) return *failed;
        rightName = PortName();
        std::vector<std::uint8_t> ids;
        for (const auto& [id, bytes] : left.blocks) ids.push_back(id);
        if (const auto failed = ReadBlocks(ids, right, QStringLiteral("Reading"))) return *failed;
    }

    QJsonArray differences;
    for (const auto& [id, bytes] : left.blocks) {
        const auto found = right.find(id);
        const std::vector<std::uint8_t> theirs = found == right.end() ? std::vector<std::uint8_t>{} : found->second;
        const std::vector<FieldChange> changes = CompareBlock(bytes, theirs);
        if (changes.empty()) continue;
        QJsonArray fields;
        if (!Json()) env_.out << BlockName(id) << '\n';
        for (const FieldChange& change : changes) {
            const QString caption = QString::fromStdString(change.caption);
            const QString before = QString::fromStdString(change.before);
            const QString after = QString::fromStdString(change.after);
            fields.append(QJsonObject{{"caption", caption}, {"before", before}, {"after", after}});
            if (!Json()) env_.out << "  " << caption << ": " << before << " -> " << after << '\n';
        }
        differences.append(QJsonObject{{"id", id}, {"title", Title(id)}, {"fields", fields}});
    }
    if (Json()) {
        PrintJson({{"left", file}, {"right", rightName}, {"identical", differences.isEmpty()}, {"blocks", differences}});
    } else if (differences.isEmpty()) {
        env_.out << "No differences between " << file << " and " << rightName << '\n';
    }
    env_.out.flush();
    return Code(ExitCode::Done);
}

int Cli::Log(const QString& file)
{
    std::ifstream in(QFile::encodeName(file).toStdString(), std::ios::binary);
    if (!in) return Fail(ExitCode::BadFile, QStringLiteral("cannot read %1; check the path").arg(file));
    DiagnosticLogReader reader(in);
    if (!reader.Problem().empty()) {
        return Fail(ExitCode::BadFile, QStringLiteral("%1: %2").arg(file, QString::fromStdString(reader.Problem())));
    }
    env_.out << QString::fromStdString(LogCsvHeader()) << '\n';
    std::size_t count = 0;
    while (const auto record = reader.Next()) {
        env_.out << QString::fromStdString(LogCsvLine(*record)) << '\n';
        ++count;
    }
    env_.out.flush();
    if (!reader.Problem().empty()) {
        return Fail(ExitCode::BadFile, QStringLiteral("%1: %2; the %3 record(s) before it are printed above")
                                           .arg(file, QString::fromStdString(reader.Problem()))
                                           .arg(count));
    }
    return Code(ExitCode::Done);
}

}  // namespace

int RunCli(const QStringList& arguments, CliEnvironment& environment)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Back up, restore and compare an alarm panel's configuration."));
    parser.addOptions({
        {"port", "The panel's port: a COM number (COM3, 3) or a device path.", "PORT"},
        {"speed", "The link speed: 9600, 19200, 38400, 57600 or 115200 (default).", "BIT/S"},
        {"json", "Print results as JSON, for scripts."},
        {"dry-run", "restore: list the blocks it would write, write nothing."},
        {"trace", "Append every frame, both ways, to FILE.", "FILE"},
        {"help", "Show this help."},
    });
    parser.addVersionOption();
    parser.addPositionalArgument("command", kUsage);
    if (!parser.parse(QStringList{QStringLiteral("quorvel-cli")} + arguments)) {
        environment.err << "quorvel-cli: " << parser.errorText() << "\n" << kUsage;
        environment.err.flush();
        return Code(ExitCode::Usage);
    }
    if (parser.isSet("help")) {
        environment.out << parser.helpText();
        environment.out.flush();
        return Code(ExitCode::Done);
    }
    if (parser.isSet("version")) {
        environment.out << "quorvel-cli " QUORVEL_VERSION "\n";
        environment.out.flush();
        return Code(ExitCode::Done);
    }
    Cli cli(environment, parser);
    return cli.Run(parser.positionalArguments());
}
