// quorvel-cli against software panels on pseudo-terminals, run in-process:
// clone a panel's configuration, refuse files that must not be written,
// report a panel that falls silent halfway, flash a firmware image, and
// trace the frames.

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
#include "core/firmware/image_builder.h"
#include "core/link/commands.h"
#include "core/rf/rf_sensor_record.h"
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
        // The update's second is short, and its stall limit outlasts the
        // panel's own second, which paces its first packet request.
        CliEnvironment environment{*ports_, clock_, outStream, errStream, false, answerTimeoutMs, 100, 2500};
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

ImagePlan FlashPlan(std::uint8_t model = 51)
{
    ImagePlan plan;
    plan.modelCode = model;
    plan.firmwareId = 0x22;
    plan.packetCount = 20;
    return plan;
}

QString WriteImage(const QString& path, const std::vector<std::uint8_t>& bytes)
{
    WriteAll(path, QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
    return path;
}

}  // namespace

class CliTest : public QObject {
    Q_OBJECT
private slots:
    void clonesAPanelAndNamesTheFieldsThatDiffer();
    void refusesFilesBeforeWritingAnything_data();
    void refusesFilesBeforeWritingAnything();
    void aPanelFallingSilentMidRestoreSaysWhatWasWritten();
    void backsUpTheEnrolledRfSensorsButNeverRestoresThem();
    void portAndUsageErrors_data();
    void portAndUsageErrors();
    void flashesAnImageThePanelThenRuns();
    void refusesABadImageBeforeSendingAnything_data();
    void refusesABadImageBeforeSendingAnything();
    void aFlashThePanelDoesNotFinishSaysWhereItStopped_data();
    void aFlashThePanelDoesNotFinishSaysWhereItStopped();
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
    QVERIFY(!root.contains("rf"));  // only when asked

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
    QTest::newRow("RF sensors not a list") << "rf text" << "the RF sensors (\"rf\") are not a list";
    QTest::newRow("RF serial 0") << "rf serial" << "RF sensor in slot 4: serial 0 is not a valid serial";
    QTest::newRow("RF slot twice") << "rf twice" << "RF sensor in slot 4: the slot appears twice";
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
        QJsonObject root = QJsonDocument::fromJson(text).object();
        if (edit == "drop block") {
            QJsonArray blocks = root.value("blocks").toArray();
            blocks.removeLast();
            root.insert("blocks", blocks);
        }
        const QJsonObject sensor{{"slot", 4}, {"bytes", "00 00 2A 01 FF FF FF FF 00 05 00 01 FF FF FF FF"}};
        if (edit == "rf text") root.insert("rf", "none");
        if (edit == "rf serial") root.insert("rf", QJsonArray{QJsonObject{{"slot", 4}, {"bytes", "00 00 00 01 FF FF FF FF "
                                                                                                  "00 05 00 01 FF FF FF FF"}}});
        if (edit == "rf twice") root.insert("rf", QJsonArray{sensor, sensor});
        if (edit == "drop block" || edit.startsWith("rf")) text = QJsonDocument(root).toJson();
        QVERIFY(text != ReadAll(file));
        WriteAll(file, text);
    }
    panel.SetBlock({2, 0x00, 0x3C, 0x00, 0x3C});
    QCOMPARE(bench.Run({"restore", "--port", "COM3", file}), kBadFile);
    QVERIFY2(bench.err.contains(reason) && bench.err.contains("nothing was written"), qPrintable(bench.err));
    QCOMPARE(panel.CommandCount(kWriteBlock), 0u);
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

void CliTest::backsUpTheEnrolledRfSensorsButNeverRestoresThem()
{
    CliBench bench;
    VirtualPanel& panel = bench.AddPanel(3);
    // Slots 1 and 2 hold the panel's factory PIR sensor and key fob.
    panel.Rf().SetRecord(2, PackRfSensorRecord({.serial = 0, .kind = 1, .zone = 7, .user = 1}));
    panel.Rf().SetRecord(9, PackRfSensorRecord({.serial = kMaxRfSerial + 1, .kind = 2, .zone = 8, .user = 1}));
    panel.Rf().SetRecord(2047, PackRfSensorRecord({.serial = kMaxRfSerial, .kind = 2, .zone = 9, .user = 3}));
    const QString file = bench.Path("site.json");
    QCOMPARE(bench.Run({"backup", "--port", "COM3", "--rf", file}), kDone);
    QVERIFY2(bench.out.contains("15 blocks and 3 RF sensors"), qPrintable(bench.out));
    const QJsonObject root = QJsonDocument::fromJson(ReadAll(file)).object();
    const QJsonArray sensors = root.value("rf").toArray();
    QCOMPARE(sensors.size(), 3);
    const std::array<std::pair<int, int>, 3> expected{{{1, 123456}, {2, 654321}, {2048, int{kMaxRfSerial}}}};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        QCOMPARE(sensors[static_cast<qsizetype>(i)].toObject().value("slot").toInt(), expected[i].first);
        QCOMPARE(sensors[static_cast<qsizetype>(i)].toObject().value("serial").toInt(), expected[i].second);
    }
    const QJsonArray fob = sensors[1].toObject().value("fields").toArray();
    QCOMPARE(fob[1].toObject().value("value").toString(), QStringLiteral("Chaveiro 3 botões"));
    QCOMPARE(fob[2].toObject(), (QJsonObject{{"caption", "Função botão 1"}, {"value", "ARMAR"}}));

    // Another site's table: the PIR sensor gone, the key fob moved to zone 7.
    QJsonObject edited = root;
    QJsonArray otherSensors = sensors;
    otherSensors.removeFirst();
    QJsonObject moved = otherSensors[0].toObject();
    moved.insert("bytes", moved.value("bytes").toString().replace("00 06 00 02", "00 07 00 02"));
    moved.remove("fields");
    otherSensors[0] = moved;
    edited.insert("rf", otherSensors);
    const QString other = bench.Path("other.json");
    WriteAll(other, QJsonDocument(edited).toJson());
    QCOMPARE(bench.Run({"diff", file, other}), kDone);
    QVERIFY2(bench.out.contains("RF sensor slot 1\n  Serial do sensor: 123456 -> -\n"), qPrintable(bench.out));
    QVERIFY2(bench.out.contains("RF sensor slot 2\n  Zona: 6 -> 7\n"), qPrintable(bench.out));
    QVERIFY(!bench.out.contains("slot 2048"));

    const std::size_t rfCommands = panel.CommandCount(CommandByte(CommandCode::RfSensorCommand));
    panel.SetBlock({2, 0x00, 0x3C, 0x00, 0x3C});
    QCOMPARE(bench.Run({"restore", "--port", "COM3", file}), kDone);
    QVERIFY2(bench.out.contains("holds 3 RF sensors; restore does not write them"), qPrintable(bench.out));
    QCOMPARE(panel.CommandCount(CommandByte(CommandCode::RfSensorCommand)), rfCommands);
    QCOMPARE(panel.CommandCount(kWriteBlock), 1u);

    // Against the panel, its table is read to compare with the file's.
    panel.Rf().SetRecord(0, PackRfSensorRecord({.serial = 123457, .kind = 1, .zone = 5, .user = 1}));
    QCOMPARE(bench.Run({"diff", file, "--port", "COM3", "--json"}), kDone);
    const QJsonObject result = QJsonDocument::fromJson(bench.out.toUtf8()).object();
    QCOMPARE(result.value("blocks").toArray().size(), 0);
    QCOMPARE(result.value("rf").toArray().size(), 1);
    QCOMPARE(result.value("rf")[0].toObject().value("fields")[0].toObject().value("after").toString(), "123457");
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

void CliTest::flashesAnImageThePanelThenRuns()
{
    CliBench bench;
    VirtualPanel& panel = bench.AddPanel(3);
    const std::vector<std::uint8_t> bytes = ImageFileBytes(FlashPlan());
    panel.Bootloader().ExpectImage(*sim::ReadExpectedImage(bytes, nullptr));
    const QString image = WriteImage(bench.Path("nova.bin"), bytes);
    QCOMPARE(bench.Run({"flash", "--port", "COM3", image}), kDone);
    QCOMPARE(panel.Bootloader().PacketsReceived(), std::size_t{20});
    QCOMPARE(panel.Bootloader().LastResult(), 5);
    QCOMPARE(panel.Version(), 0x22);
    // The window's texts, in the window's order, then the new version.
    const QStringList lines = bench.out.split('\n', Qt::SkipEmptyParts);
    QVERIFY2(lines.contains(QStringLiteral("Versão: V2.02 - (oficial)")) && lines.contains("Pacotes: 20"),
             qPrintable(bench.out));
    const QStringList states = {"Inicializando bootloader", "Solicitando informação do equipamento",
                                "Iniciando processo de atualização", "Em processo de atualização",
                                "Versão nova OK", "Versão nova OK."};
    qsizetype at = 0;
    for (const QString& state : states) {
        at = lines.indexOf(state, at);
        QVERIFY2(at >= 0, qPrintable(state + " missing or out of order in\n" + bench.out));
    }
    QVERIFY2(lines.last().contains("now reports model 51") && lines.last().contains("version V2.02 - (oficial)"),
             qPrintable(bench.out));
    QVERIFY(bench.err.isEmpty());
}

void CliTest::refusesABadImageBeforeSendingAnything_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    QTest::newRow("signature") << "signature" << kBadFile << "Erro na assinatura do arquivo.";
    QTest::newRow("cut short") << "cut" << kBadFile
                               << "Erro ao ler os pacotes de dados. Modelo de Hardware não suportado.";
    QTest::newRow("missing") << "missing" << kBadFile << "Erro ao tentar abrir o arquivo.";
    QTest::newRow("another model") << "model" << kBadFile << "Modelo de equipamento diferente da versão de firmware.";
    QTest::newRow("no port") << "no port" << kUsage << "give the panel's port with --port";
}

void CliTest::refusesABadImageBeforeSendingAnything()
{
    QFETCH(QString, damage);
    QFETCH(int, code);
    QFETCH(QString, message);
    CliBench bench;
    VirtualPanel& panel = bench.AddPanel(3);
    std::vector<std::uint8_t> bytes = ImageFileBytes(FlashPlan(damage == "model" ? 56 : 51));
    if (damage == "signature") bytes[24] ^= 0xFF;
    if (damage == "cut") bytes.pop_back();
    const QString image = damage == "missing" ? bench.Path("nada.bin") : WriteImage(bench.Path("nova.bin"), bytes);
    const QStringList port = damage == "no port" ? QStringList{} : QStringList{"--port", "COM3"};
    QCOMPARE(bench.Run(QStringList{"flash", image} + port), code);
    QVERIFY2(bench.err.contains(message), qPrintable(bench.err));
    // Only the model check needs the panel, and asks it no more than who it is.
    QCOMPARE(panel.ReceivedFrames().size(), panel.CommandCount(CommandByte(CommandCode::IdentifyCommand)));
    QCOMPARE(panel.CommandCount(CommandByte(CommandCode::BootloaderCommand)), 0u);
}

void CliTest::aFlashThePanelDoesNotFinishSaysWhereItStopped_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("message");
    QTest::newRow("falls silent") << "silent" << "Erro sem resposta do equipamento. The panel asked for no new packet "
                                                 "for 2.5 s at packet 6 of 20, so the update was cancelled and the "
                                                 "panel did not answer the cancel.";
    QTest::newRow("stops asking") << "stop" << "Atualização cancelada. The panel asked for no new packet for 2.5 s at "
                                               "packet 5 of 20, so the update was cancelled.";
    QTest::newRow("reports an error") << "result" << "Erro gravação versão nova (CRC). The panel's bootloader ended "
                                                     "the update at packet 20 of 20.";
}

void CliTest::aFlashThePanelDoesNotFinishSaysWhereItStopped()
{
    QFETCH(QString, fault);
    QFETCH(QString, message);
    CliBench bench;
    VirtualPanel& panel = bench.AddPanel(3);
    const std::uint8_t packet = CommandByte(CommandCode::UpdatePacketCommand);
    if (fault == "silent") {
        // Five packets taken, the sixth asked for and never taken.
        panel.SetFrameObserver([&panel, packet](VirtualPanel::Direction direction, const std::vector<uint8_t>& frame) {
            if (direction == VirtualPanel::Direction::FromTool && frame.size() > 2 && frame[2] == packet &&
                panel.CommandCount(packet) == 5) {
                panel.SetSilent(true);
            }
        });
    }
    if (fault == "stop") panel.Bootloader().StopAskingAfter(5);
    if (fault == "result") panel.Bootloader().SetFinalResult(4);
    const QString image = WriteImage(bench.Path("nova.bin"), ImageFileBytes(FlashPlan()));
    QCOMPARE(bench.Run({"flash", "--port", "COM3", image, "--json"}), kPanelFailed);
    QVERIFY2(bench.err.contains(message) && bench.err.contains("run flash again"), qPrintable(bench.err));
    const QJsonObject result = QJsonDocument::fromJson(bench.out.toUtf8()).object();
    QCOMPARE(result.value("succeeded").toBool(true), false);
    QCOMPARE(panel.Version(), VirtualPanel::kDefaultVersion);
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
