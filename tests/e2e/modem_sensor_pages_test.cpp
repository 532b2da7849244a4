// Tabs "Modem GPRS" and "Sensores" against a software panel, and the
// panel's refusal of blocks 17 and 23 in the other model's length.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include "core/link/commands.h"
#include "support/tool_harness.h"
#include "ui/pages/config_page.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
const QString kSensorsTitle = QStringLiteral("CONFIGURAÇÃO DOS SENSORES");

// One sensor as typed and as it must come back; polarity is the suffix of
// the button to check ("" for none) and of the one checked after the read.
struct SensorRow {
    int type;
    const char* polarity;
    bool firstRule, secondRule;
    const char* debounce;
    Bytes record;
    const char* polarityBack;
    const char* debounceBack;
};

const SensorRow kSensors[] = {
    {3, "T", true, false, "1234", {3, 0, 1, 0, 123}, "T", "1230"},
    {-1, "", true, true, "5", {255, 2, 3, 0, 0}, "A", "0"},
    {14, "F", false, true, "655350", {14, 1, 2, 0xFF, 0xFF}, "F", "655350"},
    {0, "A", false, false, "655359", {0, 2, 0, 0xFF, 0xFF}, "A", "655350"},
    {6, "F", true, false, "19", {6, 1, 1, 0, 1}, "F", "10"},
    {1, "T", false, true, "100", {1, 0, 2, 0, 10}, "T", "100"},
};

QString Name(const char* pattern, int sensor) { return QString::fromLatin1(pattern).arg(sensor); }

}  // namespace

class ModemSensorPagesTest : public QObject {
    Q_OBJECT
private slots:
    void modemReadsTheShowingSubPageAndShowsOnlyTheInterval();
    void modemNeverEditsClearsOrWrites();
    void sensorsWriteAndReadBack_data();
    void sensorsWriteAndReadBack();
    void panelRefusesTheOtherModelsLength_data();
    void panelRefusesTheOtherModelsLength();
};

void ModemSensorPagesTest::modemReadsTheShowingSubPageAndShowsOnlyTheInterval()
{
    ToolHarness tool;
    PanelHost& panel = tool.StartConnected({.model = 51});
    auto* subPages = tool.Find<QTabWidget>("PageControlModem");
    auto* interval = tool.Find<QLineEdit>("ConfigTempoEnvioDadosSimcard");
    const QString statusBefore = tool.StatusLine()->text();

    // "Senha PIN" asks for block 7, whose answer changes nothing on screen.
    subPages->setCurrentIndex(3);
    tool.Click("BtnLer4");
    QVERIFY(WaitForCommand(panel.Panel(), kRead, 1));
    QCOMPARE(panel.Panel().ReceivedFrames().back().payload, (Bytes{7}));
    DrainEvents();
    QCOMPARE(tool.StatusLine()->text(), statusBefore);
    QVERIFY(interval->text().isEmpty());

    subPages->setCurrentIndex(2);
    tool.Click("BtnLer4");
    QVERIFY(tool.WaitForStatus(QStringLiteral("CONFIGURAÇÃO ENVIO DADOS DO SIMCARD")));
    QCOMPARE(interval->text(), QStringLiteral("86400"));

    // The four bytes are shown as a signed number.
    panel.Panel().SetBlock({12, 0x80, 0, 0, 1});
    tool.Click("BtnLer4");
    QTRY_COMPARE_WITH_TIMEOUT(interval->text(), QStringLiteral("-2147483647"), 3000);
    QVERIFY(tool.dialogs.Boxes().empty());
}

void ModemSensorPagesTest::modemNeverEditsClearsOrWrites()
{
    ToolHarness tool;
    PanelHost& panel = tool.StartConnected({.model = 51});
    auto* page = tool.Find<ConfigPage>("TabSheet4");
    auto* interval = tool.Find<QLineEdit>("ConfigTempoEnvioDadosSimcard");
    interval->setText(QStringLiteral("3600"));

    tool.Find<QTabWidget>("PageControlModem")->setCurrentIndex(2);
    tool.Click("BtnEditar4");
    tool.Click("BtnLimpar4");
    QCOMPARE(interval->text(), QStringLiteral("3600"));
    QVERIFY(!tool.InEditState(4));
    for (const char* name : {"ConfigTempoEnvioDadosSimcard", "CfgPinSimcardHab", "CfgPinSimcardDesab",
                             "CfgSenhaPinSimcard1", "CfgSenhaPinSimcard2", "CfgAtivacaoAutoPinSimcardHab",
                             "CfgDadosErbSim", "CfgDadosErbNao"}) {
        QVERIFY2(!tool.Find<QWidget>(QString::fromLatin1(name))->isEnabled(), name);
    }

    // The write button is never enabled; its handler checks the device only.
    page->WriteClick();
    QVERIFY(tool.dialogs.Boxes().empty());
    panel.Panel().SetSilent(true);
    for (int tick = 0; tick < 5; ++tick) tool.Window().TimerPollingTimer();
    QVERIFY(!tool.Session().IsEquipmentConnected());
    page->WriteClick();
    QCOMPARE(tool.dialogs.Texts(), QStringList{QStringLiteral("Equipamento não conectado.")});
    QCOMPARE(panel.Panel().CommandCount(kWrite), std::size_t{0});
}

void ModemSensorPagesTest::sensorsWriteAndReadBack_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("records");
    QTest::newRow("37") << 37 << 4;
    QTest::newRow("51") << 51 << 6;
    QTest::newRow("56") << 56 << 6;
}

void ModemSensorPagesTest::sensorsWriteAndReadBack()
{
    QFETCH(int, model);
    QFETCH(int, records);
    ToolHarness tool;
    PanelHost& panel = tool.StartConnected({.model = static_cast<std::uint8_t>(model)});

    tool.Click("BtnEditar5");
    Bytes expected = {23};
    for (int n = 1; n <= 6; ++n) {
        const SensorRow& row = kSensors[n - 1];
        tool.Find<QComboBox>(Name("TipoSensor%1", n))->setCurrentIndex(row.type);
        if (*row.polarity) tool.Find<QRadioButton>(Name("CfgPolaridadeSensor%1_", n) + row.polarity)->setChecked(true);
        tool.Find<QCheckBox>(Name("RegraSensor%1_1", n))->setChecked(row.firstRule);
        tool.Find<QCheckBox>(Name("RegraSensor%1_2", n))->setChecked(row.secondRule);
        tool.Find<QLineEdit>(Name("DebSensor%1", n))->setText(QString::fromLatin1(row.debounce));
        if (n <= records) expected.insert(expected.end(), row.record.begin(), row.record.end());
    }
    tool.Click("BtnGravar5");
    QVERIFY(tool.WaitForStatus(kWritten));
    QCOMPARE(*panel.Panel().Block(23), expected);
    QVERIFY(!tool.Find<QLineEdit>("DebSensor6")->isEnabled());

    // Cleared, then filled by the answer: sensors past the answer's records
    // keep their cleared state.
    tool.Click("BtnLimpar5");
    tool.Click("BtnLer5");
    QVERIFY(tool.WaitForStatus(kSensorsTitle));
    for (int n = 1; n <= 6; ++n) {
        const SensorRow& row = kSensors[n - 1];
        const bool filled = n <= records;
        QCOMPARE(tool.Find<QComboBox>(Name("TipoSensor%1", n))->currentIndex(), filled ? row.type : -1);
        for (const char* suffix : {"T", "F", "A"}) {
            const bool checked = filled && QByteArray(suffix) == row.polarityBack;
            QCOMPARE(tool.Find<QRadioButton>(Name("CfgPolaridadeSensor%1_", n) + suffix)->isChecked(), checked);
        }
        QCOMPARE(tool.Find<QCheckBox>(Name("RegraSensor%1_1", n))->isChecked(), filled && row.firstRule);
        QCOMPARE(tool.Find<QCheckBox>(Name("RegraSensor%1_2", n))->isChecked(), filled && row.secondRule);
        QCOMPARE(tool.Find<QLineEdit>(Name("DebSensor%1", n))->text(),
                 filled ? QString::fromLatin1(row.debounceBack) : QString());
    }
    QVERIFY(tool.dialogs.Boxes().empty());
}

void ModemSensorPagesTest::panelRefusesTheOtherModelsLength_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("sensorBytes");
    QTest::addColumn<int>("outputBytes");
    QTest::newRow("37 given the six-sensor forms") << 37 << 31 << 5;
    QTest::newRow("51 given the four-sensor forms") << 51 << 21 << 3;
}

void ModemSensorPagesTest::panelRefusesTheOtherModelsLength()
{
    QFETCH(int, model);
    QFETCH(int, sensorBytes);
    QFETCH(int, outputBytes);
    ToolHarness tool;
    PanelHost& panel = tool.StartConnected({.model = static_cast<std::uint8_t>(model)});
    const struct {
        std::uint8_t block;
        int length;
    } writes[] = {{23, sensorBytes}, {17, outputBytes}};
    for (const auto& w : writes) {
        const Bytes stored = *panel.Panel().Block(w.block);
        Bytes wrong(static_cast<std::size_t>(w.length), 0);
        wrong[0] = w.block;
        tool.Session().WriteBlock(wrong);
        QVERIFY(tool.WaitForStatus(QStringLiteral("ERRO AO GRAVAR OS DADOS")));
        QCOMPARE(*panel.Panel().Block(w.block), stored);
        tool.StatusLine()->clear();
    }
}

QTEST_MAIN(ModemSensorPagesTest)
#include "modem_sensor_pages_test.moc"
