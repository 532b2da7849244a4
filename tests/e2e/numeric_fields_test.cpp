// Every kind of numeric field of the pages against a software panel: the
// largest value it holds is sent byte-exact; the smallest it cannot hold and
// a negative value get the focus and the range message, nothing is sent and
// the tab stays in edit state.

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>

#include "core/link/commands.h"
#include "support/tool_harness.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
// A control by name and its text ("on" checks a button).
using Values = std::vector<std::pair<const char*, const char*>>;

const std::uint8_t kRfSensor = CommandByte(CommandCode::RfSensorCommand);

QWidget* Tab(ToolHarness& tool, int tab) { return tool.Find<QTabWidget>("PageControlPrincipal")->widget(tab - 1); }

// A control of one tab (the enrolment window has controls of the same names).
QWidget* OnTab(ToolHarness& tool, int tab, const char* name)
{
    auto* control = Tab(tool, tab)->findChild<QWidget*>(QString::fromLatin1(name));
    if (!control) QTest::qFail(name, __FILE__, __LINE__);
    return control;
}

void Enter(ToolHarness& tool, int tab, const Values& values)
{
    for (const auto& [name, value] : values) {
        QWidget* control = OnTab(tool, tab, name);
        if (auto* edit = qobject_cast<QLineEdit*>(control)) edit->setText(QString::fromLatin1(value));
        if (auto* button = qobject_cast<QAbstractButton*>(control)) button->setChecked(true);
    }
}

// What each tab needs for a write to go out, every number in range.
Values Valid(int tab)
{
    switch (tab) {
    case 1: {
        static const char* const names[] = {"EndIp01_0", "EndIp01_1", "EndIp01_2", "EndIp01_3", "EndIp02_0",
                                            "EndIp02_1", "EndIp02_2", "EndIp02_3", "EndIp03_0", "EndIp03_1",
                                            "EndIp03_2", "EndIp03_3", "EndIp04_0", "EndIp04_1", "EndIp04_2",
                                            "EndIp04_3"};
        Values values;
        for (const char* name : names) values.emplace_back(name, "8");
        for (const char* port : {"PortaIp01", "PortaIp02", "PortaIp03", "PortaIp04"}) values.emplace_back(port, "80");
        return values;
    }
    case 2: return {{"CfgTimerMsgPolling", "60"}, {"CfgTimerMsgPollingReduzido", "30"}};
    case 5:
        return {{"DebSensor1", "100"}, {"DebSensor2", "100"}, {"DebSensor3", "100"},
                {"DebSensor4", "100"}, {"DebSensor5", "100"}, {"DebSensor6", "100"}};
    case 6:
        return {{"TempoRetardoSirene", "1"}, {"TempoAtivacaoSirene", "1"}, {"TempoRepousoSirene", "1"},
                {"NumeroRepeticaoSirene", "1"}};
    case 8:
        return {{"CfgSerialSensorRF", "1"}, {"CfgTipoSensorRF1", "on"}, {"CfgZonaSensorRF", "5"},
                {"CfgUsuarioSensorRF", "1"}};
    case 9: return {{"CfgTempoParaArmar", "1"}};
    case 12:
        return {{"CfgTemperaturaMaxCofre", "30"}, {"CfgTemperaturaMinCofre", "5"}, {"CfgTempoDebTempMaxCofre", "10"},
                {"CfgTempoDebTempMinCofre", "10"}, {"CfgTempoMaxAbertoCofre", "300"}};
    default: return {};
    }
}

struct FieldCase {
    const char* field;
    int tab;
    int subPage;          // of the tab's inner notebook; -1 for none
    const char* largest;  // the largest value the field holds
    const char* beyond;   // the smallest it does not
    std::size_t offset;   // where the field sits in the payload sent
    Bytes bytes;          // the largest value there
    bool read = false;    // the field chooses what "Ler Config" reads
};

const FieldCase kCases[] = {
    {"EndIp02_3", 1, -1, "255", "256", 10, {0xFF}},
    {"PortaIp04", 1, -1, "65535", "65536", 23, {0xFF, 0xFF}},
    {"CfgTimerMsgPolling", 2, -1, "65535", "65536", 1, {0xFF, 0xFF}},
    {"CfgTimerMsgPollingReduzido", 2, -1, "65535", "65536", 3, {0xFF, 0xFF}},
    {"DebSensor6", 5, -1, "655359", "655360", 29, {0xFF, 0xFF}},
    {"NumeroRepeticaoSirene", 6, 1, "255", "256", 5, {0xFF}},
    {"CfgNumeroSensorRF", 8, 0, "2048", "2049", 1, {0x07, 0xFF}, true},
    {"CfgSerialSensorRF", 8, 0, "4194303", "4194304", 1, {0x3F, 0xFF, 0xFF}},
    {"CfgZonaSensorRF", 8, 0, "65535", "65536", 9, {0xFF, 0xFF}},
    {"CfgUsuarioSensorRF", 8, 0, "65535", "65536", 11, {0xFF, 0xFF}},
    {"CfgTempoParaArmar", 9, -1, "255", "256", 1, {0xFF}},
    {"CfgTempoDebTempMinCofre", 12, -1, "255", "256", 9, {0xFF}},
    {"CfgTempoMaxAbertoCofre", 12, -1, "65535", "65536", 10, {0xFF, 0xFF}},
};

std::size_t Sent(PanelHost& panel)
{
    return panel.Panel().CommandCount(kWrite) + panel.Panel().CommandCount(kRfSensor);
}

}  // namespace

class NumericFieldsTest : public QObject {
    Q_OBJECT
private slots:
    void largestIsSentAndBeyondOrNegativeIsRefused();
};

void NumericFieldsTest::largestIsSentAndBeyondOrNegativeIsRefused()
{
    ToolHarness tool;
    PanelHost& panel = tool.StartConnected({.model = 51});
    tool.Window().show();
    tool.Window().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&tool.Window()));

    for (const FieldCase& c : kCases) {
        const QString tab = QString::number(c.tab);
        tool.Find<QTabWidget>("PageControlPrincipal")->setCurrentIndex(c.tab - 1);
        if (c.subPage >= 0) Tab(tool, c.tab)->findChild<QTabWidget*>()->setCurrentIndex(c.subPage);
        auto* field = qobject_cast<QLineEdit*>(OnTab(tool, c.tab, c.field));
        QVERIFY2(field, c.field);
        const QString button = (c.read ? QStringLiteral("BtnLer") : QStringLiteral("BtnGravar")) + tab;

        for (const char* refused : {c.beyond, "-1"}) {
            const QString what = QStringLiteral("%1 = %2").arg(c.field, refused);
            tool.dialogs.Clear();
            tool.Click(QStringLiteral("BtnEditar") + tab);
            Enter(tool, c.tab, Valid(c.tab));
            field->setText(QString::fromLatin1(refused));
            const std::size_t before = Sent(panel);
            tool.Click(button);
            QVERIFY2(tool.dialogs.Texts() == QStringList{QStringLiteral("Valor fora da faixa especificada.")},
                     qPrintable(what));
            QVERIFY2(QApplication::focusWidget() == field, qPrintable(what));
            QVERIFY2(c.read || tool.InEditState(c.tab), qPrintable(what));
            DrainEvents();
            QVERIFY2(Sent(panel) == before, qPrintable(what));
        }

        tool.dialogs.Clear();
        field->setText(QString::fromLatin1(c.largest));
        const std::uint8_t command = c.tab == 8 ? kRfSensor : kWrite;
        const std::size_t before = panel.Panel().CommandCount(command);
        tool.Click(button);
        QVERIFY2(WaitForCommand(panel.Panel(), command, before + 1), c.field);
        const Bytes& payload = panel.Panel().ReceivedFrames().back().payload;
        QVERIFY2(payload.size() >= c.offset + c.bytes.size(), c.field);
        QVERIFY2(Bytes(payload.begin() + c.offset, payload.begin() + c.offset + c.bytes.size()) == c.bytes, c.field);
        QVERIFY2(tool.dialogs.Texts().isEmpty(), c.field);
    }
}

QTEST_MAIN(NumericFieldsTest)
#include "numeric_fields_test.moc"
