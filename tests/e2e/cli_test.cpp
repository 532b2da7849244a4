// quorvel-cli against software panels on pseudo-terminals, run in-process:
// clone a panel's configuration, refuse files that must not be written,
// report a panel that falls silent halfway, and trace the frames.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTest>
#include <memory>

#include "cli_test_bench.h"
#include "core/diagnostics/diagnostic_log.h"
#include "core/link/commands.h"
#include "core/rf/rf_sensor_record.h"

using namespace cli_test;

namespace {

const std::uint8_t kWriteBlock = CommandByte(CommandCode::WriteBlockCommand);

}  // namespace

class CliTest : public QObject {
    Q_OBJECT
private slots:
    void clonesAPanelAndNamesTheFieldsThatDiffer();
    void refusesFilesBeforeWritingAnything_data();
    void refusesFilesBeforeWritingAnything();
    void readsFilesOfTheFirstFormat();
    void aPanelFallingSilentMidRestoreSaysWhatWasWritten();
    void backsUpTheEnrolledRfSensorsButNeverRestoresThem();
    void portAndUsageErrors_data();
    void portAndUsageErrors();
    void tracesEveryFrameBothWays();
    void printsADiagnosticLog();
    void helpAndVersion();
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
    QTest::newRow("newer format") << "future version" << "version 3 is not supported";
    QTest::newRow("RF sensors not a list") << "rf text" << "the RF sensors (\"rf\") are not a list";
    QTest::newRow("RF serial 0") << "rf serial" << "RF sensor in slot 4: serial 0 is not a valid serial";
    QTest::newRow("RF slot twice") << "rf twice" << "RF sensor in slot 4: the slot appears twice";
    QTest::newRow("a sign in the bytes") << "hex sign"
                                         << "block 2: its bytes are not hexadecimal pairs separated by single spaces "
                                            "(at character 13)";
    QTest::newRow("a tab in the bytes") << "hex tab" << "(at character 14)";
    // Each group has the value of the byte it stands for: read by its value,
    // the file would be the panel's own, so only the width refuses it.
    QTest::newRow("a group of three digits") << "hex 02C" << "block 2: its bytes are not hexadecimal pairs separated by "
                                                                "single spaces (at character 9)";
    QTest::newRow("a group of one digit") << "hex 0" << "block 2: its bytes are not hexadecimal pairs separated by "
                                                         "single spaces (at character 11)";
    // Numbers past their field, or with a fraction, are refused, not cut down.
    const char* outOfRange = "the panel's model, version or serial is missing or out of range";
    QTest::newRow("model 256") << "model 256" << outOfRange;
    QTest::newRow("serial 2^32") << "serial 4294967296" << outOfRange;
    QTest::newRow("RF slot 5000") << "rf slot 5000" << "an RF sensor has no slot from 1 to 2048";
    QTest::newRow("block id 2.5") << "block id 2.5" << "a block has no valid id";
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
        if (edit == "hex sign") text.replace("\"02 01 2C 00 3C\"", "\"02 01 2C 00 +C\"");
        if (edit == "hex 02C") text.replace("\"02 01 2C 00 3C\"", "\"02 01 02C 00 3C\"");
        if (edit == "hex 0") text.replace("\"02 01 2C 00 3C\"", "\"02 01 2C 0 3C\"");
        if (edit == "hex tab") text.replace("\"02 01 2C 00 3C\"", "\"02 01 2C 00 3\\t\"");
        QJsonObject root = QJsonDocument::fromJson(text).object();
        if (edit == "drop block") {
            QJsonArray blocks = root.value("blocks").toArray();
            blocks.removeLast();
            root.insert("blocks", blocks);
        }
        if (edit == "future version") root.insert("version", 3);
        const QJsonObject sensor{{"slot", 4}, {"bytes", "00 00 2A 01 FF FF FF FF 00 05 00 01 FF FF FF FF"}};
        if (edit == "rf text") root.insert("rf", "none");
        if (edit == "rf serial") root.insert("rf", QJsonArray{QJsonObject{{"slot", 4}, {"bytes", "00 00 00 01 FF FF FF FF "
                                                                                                  "00 05 00 01 FF FF FF FF"}}});
        if (edit == "rf twice") root.insert("rf", QJsonArray{sensor, sensor});
        if (edit == "rf slot 5000") root.insert("rf", QJsonArray{QJsonObject{{"slot", 5000}, {"bytes", sensor["bytes"]}}});
        QJsonObject panelEntry = root.value("panel").toObject();
        if (edit == "model 256") panelEntry.insert("model", 256);
        if (edit == "serial 4294967296") panelEntry.insert("serial", 4294967296.0);
        root.insert("panel", panelEntry);
        if (edit == "block id 2.5") {
            QJsonArray blocks = root.value("blocks").toArray();
            for (qsizetype i = 0; i < blocks.size(); ++i) {
                QJsonObject block = blocks[i].toObject();
                if (block.value("id").toInt() == 2) block.insert("id", 2.5);
                blocks[i] = block;
            }
            root.insert("blocks", blocks);
        }
        if (edit == "drop block" || edit == "future version" || edit.startsWith("rf") || edit.startsWith("model") ||
            edit.startsWith("serial") || edit.startsWith("block")) {
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
    DivergeThreeBlocks(panel);
    // The panel falls silent on the second write.
    panel.SetFrameObserver([&panel](VirtualPanel::Direction direction, const std::vector<uint8_t>& frame) {
        if (direction == VirtualPanel::Direction::FromTool && frame.size() > 2 && frame[2] == kWriteBlock &&
            panel.CommandCount(kWriteBlock) == 1) {
            panel.SetSilent(true);
        }
    });
    QCOMPARE(bench.Run({"restore", "--port", "COM3", file}, 100), kPanelFailed);
    QCOMPARE(bench.out, QStringLiteral("Written Intervalo de polling (block 2)\n"
                                       "Not written Atuadores / Buzzer (block 26)\n"
                                       "Not written Função alarme (block 42)\n"));
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
    QTest::newRow("dry-run of backup") << QStringList{"backup", "--port", "COM3", "x.json", "--dry-run"} << kUsage
                                       << "backup does not take --dry-run";
    QTest::newRow("rf of restore") << QStringList{"restore", "--port", "COM3", "x.json", "--rf"} << kUsage
                                   << "restore does not take --rf";
    QTest::newRow("port of ports") << QStringList{"ports", "--port", "COM3"} << kUsage << "ports does not take --port";
    QTest::newRow("json of log") << QStringList{"log", "x.bin", "--json"} << kUsage << "log does not take --json";
    for (const char* name : {"COM0", "COM-1", "COM256", "com99999", "0", "-3"}) {
        QTest::newRow(name) << QStringList{"identify", "--port", name} << kUsage
                            << QStringLiteral("%1 is not a port number; use COM1 to COM255").arg(name);
    }
    QTest::newRow("the null device") << QStringList{"identify", "--port", "/dev/null"} << kPortError
                                     << "/dev/null is not a serial port (it is a device that is no terminal)";
    QTest::newRow("a folder") << QStringList{"identify", "--port", "/tmp"} << kPortError
                              << "/tmp is not a serial port (it is a folder)";
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

void CliTest::helpAndVersion()
{
    CliBench bench;
    QCOMPARE(bench.Run({"--help"}), kDone);
    QVERIFY2(bench.out.contains("  -v, --version        Show the version.\n"), qPrintable(bench.out));
    QVERIFY(bench.out.endsWith(".\n"));
    QCOMPARE(bench.Run({"--version"}), kDone);
    QCOMPARE(bench.out, QStringLiteral("quorvel-cli 1.08\n"));
}

QTEST_MAIN(CliTest)
#include "cli_test.moc"
