// quorvel-cli against software panels on pseudo-terminals, run in-process:
// clone a panel's configuration, refuse files that must not be written,
// report a panel that falls silent halfway, and trace the frames.

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app/panel_host.h"
#include "cli/cli_tool.h"
#include "core/diagnostics/diagnostic_log.h"
#include "core/link/commands.h"
#include "ports/port_catalogue.h"
#include "session/clock.h"

namespace {

const std::uint8_t kWriteBlock = CommandByte(CommandCode::WriteBlockCommand);

class FixedClock final : public Clock {
public:
    QDateTime Now() const override { return QDateTime(QDate(2026, 12, 10), QTime(4, 5, 6, 789)); }
};

// Ports in a temporary folder, panels pinned in memory, the tool's output
// captured.
class CliBench {
public:
    CliBench()
    {
        const std::filesystem::path root = dir_.path().toStdString();
        std::filesystem::create_directories(root / "dev");
        ports_ = std::make_unique<SystemPortCatalogue>(SystemPortCatalogue::Options{root / "ports", root / "dev"});
    }
    ~CliBench() { panels_.clear(); }

    VirtualPanel& AddPanel(int comNumber, std::uint8_t model = 51)
    {
        panels_.push_back(std::make_unique<PanelHost>(VirtualPanel::Options{.model = model}));
        ports_->PinInMemory(comNumber, panels_.back()->DevicePath().toStdString());
        return panels_.back()->Panel();
    }
    QString Path(const QString& name) const { return dir_.filePath(name); }

    int Run(const QStringList& arguments, int answerTimeoutMs = 1000)
    {
        out.clear();
        err.clear();
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        CliEnvironment environment{*ports_, clock_, outStream, errStream, false, answerTimeoutMs};
        return RunCli(arguments, environment);
    }

    QString out;
    QString err;

private:
    QTemporaryDir dir_;
    FixedClock clock_;
    std::unique_ptr<SystemPortCatalogue> ports_;
    std::vector<std::unique_ptr<PanelHost>> panels_;
};

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

void WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(bytes);
}

constexpr int kDone = 0, kPanelFailed = 1, kUsage = 2, kPortError = 3, kBadFile = 4;

}  // namespace

class CliTest : public QObject {
    Q_OBJECT
private slots:
    void clonesAPanelAndNamesTheFieldsThatDiffer();
    void refusesFilesBeforeWritingAnything_data();
    void refusesFilesBeforeWritingAnything();
    void readsFilesOfTheFirstFormat();
    void aPanelFallingSilentMidRestoreSaysWhatWasWritten();
    void portAndUsageErrors_data();
    void portAndUsageErrors();
    void tracesEveryFrameBothWays();
    void printsADiagnosticLog();
};

void CliTest::clonesAPanelAndNamesTheFieldsThatDiffer()
{
    CliBench bench;
    VirtualPanel& source = bench.AddPanel(3);
    VirtualPanel& target = bench.AddPanel(4);
    const QString file = bench.Path("panel.json");
    QCOMPARE(bench.Run({"backup", "--port", "COM3", file}), kDone);
    const QJsonObject root = QJsonDocument::fromJson(ReadAll(file)).object();
    QCOMPARE(root.value("format").toString(), QStringLiteral("quorvel-backup"));
    QCOMPARE(root.value("panel").toObject().value("model").toInt(), 51);
    QCOMPARE(root.value("blocks").toArray().size(), 15);

    // The target differs in an address, an interval and the Wi-Fi block.
    target.SetBlock({1, 10, 0, 0, 5, 0x23, 0x32, 203, 0, 113, 11, 0x23, 0x32, 203, 0, 113, 12, 0x23, 0x32, 203, 0, 113,
                     13, 0x23, 0x32});
    target.SetBlock({2, 0x00, 0x3C, 0x00, 0x3C});
    target.SetBlock({6, 1, 'x', 1, 'y'});
    QCOMPARE(bench.Run({"diff", file, "--port", "4"}), kDone);
    QVERIFY2(bench.out.contains("block 1 (CONFIGURAÇÃO DOS NUMEROS IPS E PORTAS)"), qPrintable(bench.out));
    QVERIFY2(bench.out.contains("  Numero IP 1: 203.0.113.10 -> 10.0.0.5\n"), qPrintable(bench.out));
    QVERIFY(bench.out.contains("  Intervalo de envio msg polling: 300 -> 60\n"));
    QVERIFY(!bench.out.contains("reduzido"));
    QVERIFY(!bench.out.contains("Numero IP 2"));

    // A dry run lists, writes nothing.
    QCOMPARE(bench.Run({"restore", "--port", "COM4", "--dry-run", file}), kDone);
    QCOMPARE(bench.out.count("Would write"), 3);
    QCOMPARE(target.CommandCount(kWriteBlock), 0u);

    QCOMPARE(bench.Run({"restore", "--port", "COM4", file}), kDone);
    QCOMPARE(target.CommandCount(kWriteBlock), 3u);
    for (std::uint8_t id : {1, 2, 3, 6, 12, 17, 23, 24, 25, 26, 38, 39, 40, 41, 42}) {
        QCOMPARE(target.Block(id), source.Block(id));
    }
    QCOMPARE(bench.Run({"diff", file, "--port", "COM4", "--json"}), kDone);
    QCOMPARE(QJsonDocument::fromJson(bench.out.toUtf8()).object().value("identical").toBool(), true);
}

void CliTest::refusesFilesBeforeWritingAnything_data()
{
    QTest::addColumn<QString>("edit");  // what is done to a good backup of model 51
    QTest::addColumn<QString>("reason");
    QTest::newRow("another model") << "model37" << "model 37";
    QTest::newRow("truncated") << "truncate" << "damaged or truncated";
    QTest::newRow("wrong length") << "short polling" << "block 2 cannot be 4 bytes long";
    QTest::newRow("edited field") << "field" << "fields do not match its bytes";
    QTest::newRow("block left out") << "drop block" << "blocks missing: 42";
    QTest::newRow("newer format") << "future version" << "version 3 is not supported";
}

void CliTest::refusesFilesBeforeWritingAnything()
{
    QFETCH(QString, edit);
    QFETCH(QString, reason);
    CliBench bench;
    VirtualPanel& panel = bench.AddPanel(3);
    const QString file = bench.Path("panel.json");
    if (edit == "model37") {
        bench.AddPanel(5, 37);
        QCOMPARE(bench.Run({"backup", "--port", "COM5", file}), kDone);
    } else {
        QCOMPARE(bench.Run({"backup", "--port", "COM3", file}), kDone);
        QByteArray text = ReadAll(file);
        if (edit == "truncate") text.chop(text.size() / 3);
        if (edit == "short polling") text.replace("\"02 01 2C 00 3C\"", "\"02 01 2C 00\"");
        if (edit == "field") text.replace("\"value\": \"300\"", "\"value\": \"301\"");
        if (edit == "drop block" || edit == "future version") {
            QJsonObject root = QJsonDocument::fromJson(text).object();
            QJsonArray blocks = root.value("blocks").toArray();
            if (edit == "drop block") blocks.removeLast();
            root.insert("blocks", blocks);
            if (edit == "future version") root.insert("version", 3);
            text = QJsonDocument(root).toJson();
        }
        QVERIFY(text != ReadAll(file));
        WriteAll(file, text);
    }
    panel.SetBlock({2, 0x00, 0x3C, 0x00, 0x3C});
    QCOMPARE(bench.Run({"restore", "--port", "COM3", file}), kBadFile);
    QVERIFY2(bench.err.contains(reason) && bench.err.contains("nothing was written"), qPrintable(bench.err));
    QCOMPARE(panel.CommandCount(kWriteBlock), 0u);
}

// The first format named list items by index; its files stay readable.
void CliTest::readsFilesOfTheFirstFormat()
{
    CliBench bench;
    bench.AddPanel(3);
    const QString file = bench.Path("panel.json");
    QCOMPARE(bench.Run({"backup", "--port", "COM3", file}), kDone);
    QJsonObject root = QJsonDocument::fromJson(ReadAll(file)).object();
    QJsonArray blocks = root.value("blocks").toArray();
    for (qsizetype i = 0; i < blocks.size(); ++i) {
        QJsonObject block = blocks[i].toObject();
        if (block.value("id").toInt() != 17) continue;
        QJsonArray fields = block.value("fields").toArray();
        fields[0] = QJsonObject{{"caption", "Tipo atuador 1"}, {"value", "1"}};
        block.insert("fields", fields);
        blocks[i] = block;
    }
    root.insert("blocks", blocks);
    root.insert("version", 1);
    WriteAll(file, QJsonDocument(root).toJson());
    QCOMPARE(bench.Run({"diff", file, file}), kDone);
    QVERIFY2(bench.out.startsWith("No differences"), qPrintable(bench.out + bench.err));
}

void CliTest::aPanelFallingSilentMidRestoreSaysWhatWasWritten()
{
    CliBench bench;
    VirtualPanel& panel = bench.AddPanel(3);
    const QString file = bench.Path("panel.json");
    QCOMPARE(bench.Run({"backup", "--port", "COM3", file}), kDone);
    panel.SetBlock({2, 0x00, 0x3C, 0x00, 0x3C});
    panel.SetBlock({26, 1});
    panel.SetBlock({42, 0x7F, 0x3A});
    // The panel falls silent on the second write.
    panel.SetFrameObserver([&panel](VirtualPanel::Direction direction, const std::vector<uint8_t>& frame) {
        if (direction == VirtualPanel::Direction::FromTool && frame.size() > 2 && frame[2] == kWriteBlock &&
            panel.CommandCount(kWriteBlock) == 1) {
            panel.SetSilent(true);
        }
    });
    QCOMPARE(bench.Run({"restore", "--port", "COM3", file}, 100), kPanelFailed);
    QCOMPARE(bench.out, QStringLiteral("Written block 2 (CONFIGURAÇÃO INTERVALO DE POLLING)\n"
                                       "Not written block 26 (CONFIGURAÇÃO ATUADOR BUZZER)\n"
                                       "Not written block 42 (CONFIGURAÇÃO FUNÇÃO ALARME)\n"));
    QVERIFY2(bench.err.contains("did not answer writing block 26"), qPrintable(bench.err));
}

void CliTest::portAndUsageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    QTest::newRow("no such COM") << QStringList{"identify", "--port", "COM9"} << kPortError << "port COM9 (";
    QTest::newRow("no such device") << QStringList{"backup", "--port", "/nonexistent/ttyUSB7", "x.json"} << kPortError
                                    << "port /nonexistent/ttyUSB7 not found";
    QTest::newRow("no command") << QStringList{} << kUsage << "no command given";
    QTest::newRow("bad speed") << QStringList{"identify", "--port", "COM3", "--speed", "4800"} << kUsage
                               << "speed 4800 is not one of";
    QTest::newRow("no port") << QStringList{"identify"} << kUsage << "give the panel's port with --port";
    QTest::newRow("missing file") << QStringList{"restore", "--port", "COM3", "/nonexistent/x.json"} << kBadFile
                                  << "cannot read /nonexistent/x.json";
}

void CliTest::portAndUsageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, code);
    QFETCH(QString, message);
    CliBench bench;
    bench.AddPanel(3);
    QCOMPARE(bench.Run(arguments), code);
    QVERIFY2(bench.err.contains(message), qPrintable(bench.err));
}

void CliTest::tracesEveryFrameBothWays()
{
    CliBench bench;
    VirtualPanel& panel = bench.AddPanel(3);
    const QString trace = bench.Path("trace.txt");
    panel.CorruptNextCrc();
    panel.SetNoise(3);
    QCOMPARE(bench.Run({"identify", "--port", "COM3", "--trace", trace}, 200), kDone);
    QCOMPARE(bench.out, QStringLiteral("Model:   51 (%1)\nVersion: %2\nSerial:  2024011501\n")
                            .arg(bench.out.section('(', 1).section(')', 0, 0),
                                 bench.out.section("Version: ", 1).section('\n', 0, 0)));
    const QStringList lines = QString::fromUtf8(ReadAll(trace)).split('\n', Qt::SkipEmptyParts);
    // Open: identify, answered with a bad CRC; the tool asks again, twice
    // (the one on open and its own), and both are answered.
    QVERIFY2(lines.size() >= 4, qPrintable(lines.join('\n')));
    const QString time = QStringLiteral("2026-12-10 04:05:06.789 ");
    QCOMPARE(lines[0], time + "-> DF 04 8C 9C C0 FD IdentifyCommand payload 0");
    const QStringList damaged = lines.filter(QStringLiteral("CRC error"));
    QCOMPARE(damaged.size(), 1);
    QVERIFY2(damaged[0].startsWith(time + "<- DF 0A 07 33 12 78 A3 F6 ED") &&
                 damaged[0].endsWith("Identification payload 6 CRC error"),
             qPrintable(damaged[0]));
    // Noise before each answer is noted, never taken for a frame.
    QVERIFY2(!lines.filter(QRegularExpression(QStringLiteral("<- dropped \\d+ bytes?$"))).isEmpty(), qPrintable(lines.join("\n")));
    int sent = 0, received = 0;
    for (const QString& line : lines) {
        QVERIFY(line.startsWith(time));
        if (line.contains(" -> ")) ++sent;
        if (line.contains(" <- DF")) ++received;
    }
    QCOMPARE(sent, received);
    QCOMPARE(static_cast<std::size_t>(sent), panel.CommandCount(CommandByte(CommandCode::IdentifyCommand)));
}

void CliTest::printsADiagnosticLog()
{
    CliBench bench;
    const std::uint8_t payload[] = {1, 51, 0x12, 0x78, 0xA3, 0xF6, 0xED};
    std::vector<std::uint8_t> bytes = EncodeLogHeader();
    for (std::int64_t ms : {1000, 2000}) {
        const std::vector<std::uint8_t> record = EncodeLogRecord(ms, payload, sizeof payload);
        bytes.insert(bytes.end(), record.begin(), record.end());
    }
    const QString file = bench.Path("log.bin");
    WriteAll(file, QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
    QCOMPARE(bench.Run({"log", file}), kDone);
    const QStringList lines = bench.out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0], QString::fromStdString(LogCsvHeader()));

    // Cut inside the second record: the first is printed, then the damage said.
    WriteAll(file, QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size() - 3)));
    QCOMPARE(bench.Run({"log", file}), kBadFile);
    QCOMPARE(bench.out.split('\n', Qt::SkipEmptyParts).size(), 2);
    QVERIFY2(bench.err.contains("the 1 record(s) before it are printed above"), qPrintable(bench.err));
}

QTEST_MAIN(CliTest)
#include "cli_test.moc"
