// quorvel-cli status and enrol against a software panel on a
// pseudo-terminal, run in-process: the diagnostic window's pages under its
// captions, once or watched until Ctrl-C, and the enrolment window's
// process with its texts and its ends as exit codes.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <QTimer>
#include <csignal>

#include "cli_test_bench.h"
#include "core/link/commands.h"
#include "core/rf/rf_sensor_record.h"

using namespace cli_test;

namespace {

const std::uint8_t kStatusRequest = CommandByte(CommandCode::StatusRequestCommand);
const std::uint8_t kLearn = CommandByte(CommandCode::RfLearnCommand);
constexpr std::uint32_t kSensor = 0x123450;  // serial 74565

// Calls then() once the tool's frame with this command (and first payload
// byte, when given) has reached the panel count times.
void OnFrame(VirtualPanel& panel, std::uint8_t command, int first, std::size_t count, std::function<void()> then)
{
    panel.SetFrameObserver([&panel, command, first, count, then, seen = std::size_t{0}](
                               VirtualPanel::Direction direction, const std::vector<uint8_t>& frame) mutable {
        if (direction != VirtualPanel::Direction::FromTool || frame.size() < 4 || frame[2] != command) return;
        if (first >= 0 && frame[3] != first) return;
        if (++seen == count) then();
    });
}

// The sensor transmits twice once the panel listens, as a person pressing
// it would: a moment apart, never from inside the panel's own pump.
void TriggerWhenListening(CliBench& bench, VirtualPanel& panel, std::uint32_t first, std::uint32_t second)
{
    PanelHost& host = bench.LastHost();
    OnFrame(panel, kLearn, 7, 1, [&host, first, second] {
        QTimer::singleShot(40, &host, [&host, first] { host.TriggerRfSensor(first); });
        QTimer::singleShot(250, &host, [&host, second] { host.TriggerRfSensor(second); });
    });
}

}  // namespace

class CliStatusEnrolTest : public QObject {
    Q_OBJECT
private slots:
    void statusShowsTheWindowsPagesUnderItsCaptions();
    void statusOfOnePageAsJson();
    void statusRefusesWhatItCannotShow_data();
    void statusRefusesWhatItCannotShow();
    void statusOfAPanelThatStopsAnsweringFails();
    void watchPrintsEachChangeUntilCtrlC();
    void enrolsASensorAsTheWindowDoes();
    void enrolEndsAsTheWindowDoes_data();
    void enrolEndsAsTheWindowDoes();
    void enrolRefusesBadSettingsBeforeTalking_data();
    void enrolRefusesBadSettingsBeforeTalking();
};

void CliStatusEnrolTest::statusShowsTheWindowsPagesUnderItsCaptions()
{
    CliBench bench;
    VirtualPanel& panel = bench.AddPanel(3);
    // A keypad's display passed on by the panel: it must not retitle the terminal.
    panel.Status().SetDisplayLine2("\x1b]0;owned\x07");
    QCOMPARE(bench.Run({"status", "--port", "COM3"}), kDone);
    const QStringList lines = bench.out.split('\n');
    QVERIFY2(!bench.out.contains(QChar(0x1b)) && bench.out.contains(R"(\x1b]0;owned\x07)"), qPrintable(bench.out));
    // Every tab with live values, in the window's order, each field indented.
    QStringList tabs;
    for (const QString& line : lines) {
        if (!line.isEmpty() && !line.startsWith("  ")) tabs << line;
    }
    QCOMPARE(tabs, (QStringList{"Central alarme", "Modem", "Wifi", "Fila", "Temperatura", "RF", "Backup celular",
                                "Partições teclado"}));
    QVERIFY(lines.contains("  Número serial: 2024011501"));
    QVERIFY(lines.contains("  Versão de firmware: V1.02 - (oficial)"));
    QVERIFY(lines.contains("  Nível de sinal (bar): 3"));
    QVERIFY(lines.contains("  Config Teclado 3: Partição 2"));
    QVERIFY2(!bench.out.contains("Sem informação"), qPrintable(bench.out));
    // Each page of each tab asked for once: 2 + 3 + 1 + 1 + 1 + 1 + 3 + 1.
    QCOMPARE(panel.CommandCount(kStatusRequest), std::size_t{13});
}

void CliStatusEnrolTest::statusOfOnePageAsJson()
{
    CliBench bench;
    bench.AddPanel(3);
    QCOMPARE(bench.Run({"status", "--port", "COM3", "--page", "PARTIÇÕES teclado", "--json"}), kDone);
    const QJsonObject result = QJsonDocument::fromJson(bench.out.toUtf8()).object();
    QCOMPARE(result.value("panel").toObject().value("serial").toInteger(), 2024011501);
    const QJsonArray tabs = result.value("tabs").toArray();
    QCOMPARE(tabs.size(), 1);
    QCOMPARE(tabs[0].toObject().value("tab").toString(), QStringLiteral("Partições teclado"));
    const QJsonArray fields = tabs[0].toObject().value("fields").toArray();
    QCOMPARE(fields.size(), 16);
    QCOMPARE(fields[0].toObject(), (QJsonObject{{"name", "LabelStatusAba13_1"},
                                                {"caption", "Status Teclado 1:"},
                                                {"value", "Desarmada"}}));
    // The same page by its short name.
    const QString byCaption = bench.out;
    QCOMPARE(bench.Run({"status", "--port", "COM3", "--page", "particoes-teclado", "--json"}), kDone);
    QCOMPARE(bench.out, byCaption);
}

void CliStatusEnrolTest::statusRefusesWhatItCannotShow_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("a tab with no live values") << QStringList{"--page", "ibutton"}
                                               << "no status page \"ibutton\" with live values";
    QTest::newRow("no such tab") << QStringList{"--page", "nada"} << "choose one of central-alarme, modem";
    QTest::newRow("an option of another command") << QStringList{"--dry-run"} << "status does not take --dry-run";
}

void CliStatusEnrolTest::statusRefusesWhatItCannotShow()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    CliBench bench;
    VirtualPanel& panel = bench.AddPanel(3);
    QCOMPARE(bench.Run(QStringList{"status", "--port", "COM3"} + arguments), kUsage);
    QVERIFY2(bench.err.contains(message), qPrintable(bench.err));
    QCOMPARE(panel.CommandCount(CommandByte(CommandCode::IdentifyCommand)), std::size_t{0});
}

void CliStatusEnrolTest::statusOfAPanelThatStopsAnsweringFails()
{
    CliBench bench;
    VirtualPanel& panel = bench.AddPanel(3);
    OnFrame(panel, kStatusRequest, 16, 1, [&panel] { panel.SetSilent(true); });
    QCOMPARE(bench.Run({"status", "--port", "COM3"}, 50), kPanelFailed);
    QVERIFY2(bench.err.contains("did not answer status page 16 (Central alarme)"), qPrintable(bench.err));
    QCOMPARE(panel.CommandCount(kStatusRequest), std::size_t{3});  // asked three times
}

void CliStatusEnrolTest::watchPrintsEachChangeUntilCtrlC()
{
    CliBench bench;
    VirtualPanel& panel = bench.AddPanel(3);
    // The installer presses Ctrl-C once the page was asked for four times.
    OnFrame(panel, kStatusRequest, -1, 4, [] { std::raise(SIGINT); });
    QCOMPARE(bench.Run({"status", "--port", "COM3", "--page", "rf", "--watch", "--json"}), kDone);
    QStringList lines = bench.out.split('\n', Qt::SkipEmptyParts);
    QVERIFY2(lines.size() >= 4, qPrintable(bench.out));
    // Each field once as it first shows, the same values after that unprinted.
    QCOMPARE(QJsonDocument::fromJson(lines[0].toUtf8()).object(),
             (QJsonObject{{"tab", "RF"}, {"name", "LabelStatusAba11_1"}, {"caption", "Módulo RF Ok:"}, {"value", "Sim"}}));
    QCOMPARE(QJsonDocument::fromJson(lines[1].toUtf8()).object().value("value").toString(), QStringLiteral("0x21"));
    for (const QString& line : lines.mid(4)) {
        QVERIFY2(line.contains("Total msg"), qPrintable(line));  // only the counters move
    }
    QVERIFY2(bench.err.contains("Watching \"RF\""), qPrintable(bench.err));
    QCOMPARE(panel.CommandCount(kStatusRequest), panel.CommandCount(kStatusRequest));
    for (const VirtualPanel::ReceivedFrame& frame : panel.ReceivedFrames()) {
        if (frame.command == kStatusRequest) QCOMPARE(frame.payload, (std::vector<std::uint8_t>{21}));
    }
}

void CliStatusEnrolTest::enrolsASensorAsTheWindowDoes()
{
    CliBench bench;
    VirtualPanel& panel = bench.AddPanel(3);
    const std::size_t enrolledBefore = panel.Rf().EnrolledCount();
    TriggerWhenListening(bench, panel, kSensor, kSensor);
    QCOMPARE(bench.Run({"enrol", "--port", "COM3", "--kind", "fob", "--zone", "12", "--user", "3", "--buttons",
                        "armar,2,DESABILITADO"}),
             kDone);
    QCOMPARE(bench.out.split('\n', Qt::SkipEmptyParts),
             (QStringList{"Iniciando o processo de cadastro", "Acione o sensor que deseja cadastrar",
                          "Sensor lido, acione novamente o mesmo sensor que deseja cadastrar", "Serial lido: 74565",
                          "Cadastro efetuado com sucesso"}));
    QCOMPARE(panel.Rf().EnrolledCount(), enrolledBefore + 1);
    RfSensorRecord expected;
    expected.serial = 74565;
    expected.kind = static_cast<std::uint8_t>(SensorKind::KeyFob);
    expected.buttons = {0, 1, kButtonDisabled};
    expected.zone = 12;
    expected.user = 3;
    const std::array<std::uint8_t, kRfRecordLength> packed = PackRfSensorRecord(expected);
    bool stored = false;
    for (std::size_t slot = 0; slot < sim::kRfRecordCount; ++slot) stored = stored || panel.Rf().Record(slot) == packed;
    QVERIFY(stored);
    // The tool's last word, after it ended: stop listening.
    QTRY_VERIFY_WITH_TIMEOUT(!panel.Rf().Listening(), 3000);
}

void CliStatusEnrolTest::enrolEndsAsTheWindowDoes_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("last");    // the window's last text
    QTest::addColumn<QString>("advice");  // on standard error
    QTest::newRow("no sensor transmits") << "none" << "Não leu nenhum sensor RF" << "trigger the sensor twice";
    QTest::newRow("two different sensors") << "different" << "Erro no numero serial lido"
                                           << "trigger the same sensor twice";
    QTest::newRow("Ctrl-C while listening") << "interrupt" << "Acione o sensor que deseja cadastrar"
                                            << "cancelled (Ctrl-C)";
}

void CliStatusEnrolTest::enrolEndsAsTheWindowDoes()
{
    QFETCH(QString, fault);
    QFETCH(QString, last);
    QFETCH(QString, advice);
    CliBench bench;
    VirtualPanel& panel = bench.AddPanel(3);
    const std::size_t enrolledBefore = panel.Rf().EnrolledCount();
    if (fault == "different") TriggerWhenListening(bench, panel, kSensor, 0x654320);
    if (fault == "interrupt") {
        // Pressed once the panel acknowledged the listening command.
        OnFrame(panel, kLearn, 7, 1, [] { QTimer::singleShot(30, [] { std::raise(SIGINT); }); });
    }
    QCOMPARE(bench.Run({"enrol", "--port", "COM3", "--kind", "pir", "--zone", "5", "--json"}), kPanelFailed);
    const QJsonObject result = QJsonDocument::fromJson(bench.out.toUtf8()).object();
    QCOMPARE(result.value("enrolled").toBool(true), false);
    QCOMPARE(result.value("messages").toArray().last().toString(), last);
    QVERIFY2(bench.err.contains(advice), qPrintable(bench.err));
    QCOMPARE(panel.Rf().EnrolledCount(), enrolledBefore);
    // Every end tells the panel to stop listening, the tool's last word.
    QTRY_COMPARE_WITH_TIMEOUT(panel.CommandCount(kLearn), std::size_t{2}, 3000);
    QVERIFY(!panel.Rf().Listening());
}

void CliStatusEnrolTest::enrolRefusesBadSettingsBeforeTalking_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("no kind") << QStringList{"--zone", "5"} << "--kind pir, door or fob";
    QTest::newRow("another kind") << QStringList{"--kind", "cat", "--zone", "5"} << "--kind pir, door or fob";
    QTest::newRow("no zone") << QStringList{"--kind", "pir"} << "--zone (5 to 65535)";
    QTest::newRow("zone below 5") << QStringList{"--kind", "pir", "--zone", "4"} << "zone 4 is not a number";
    QTest::newRow("zone not a number") << QStringList{"--kind", "pir", "--zone", "5a"} << "zone 5a is not a number";
    QTest::newRow("user 0") << QStringList{"--kind", "door", "--zone", "5", "--user", "0"} << "user 0 is not";
    QTest::newRow("buttons of a door") << QStringList{"--kind", "door", "--zone", "5", "--buttons", "armar"}
                                       << "only a key fob";
    QTest::newRow("a button unknown") << QStringList{"--kind", "fob", "--zone", "5", "--buttons", "armar,voar"}
                                      << "button 2: \"voar\" is not one of ARMAR, DESARMAR";
    QTest::newRow("four buttons") << QStringList{"--kind", "fob", "--zone", "5", "--buttons", "1,2,3,4"}
                                  << "three buttons";
}

void CliStatusEnrolTest::enrolRefusesBadSettingsBeforeTalking()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    CliBench bench;
    VirtualPanel& panel = bench.AddPanel(3);
    QCOMPARE(bench.Run(QStringList{"enrol", "--port", "COM3"} + arguments), kUsage);
    QVERIFY2(bench.err.contains(message), qPrintable(bench.err));
    QCOMPARE(panel.CommandCount(CommandByte(CommandCode::IdentifyCommand)), std::size_t{0});
}

QTEST_MAIN(CliStatusEnrolTest)
#include "cli_status_enrol_test.moc"
