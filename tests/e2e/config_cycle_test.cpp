// The read/edit/write/clear cycle shared by every tab, and tabs 1 to 3 that
// ride on it, driven through the main window against a software panel.

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "core/link/commands.h"
#include "support/tool_harness.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
const QString kPollingTitle = QStringLiteral("CONFIGURAÇÃO INTERVALO DE POLLING");

QLineEdit* Edit(ToolHarness& tool, const QString& name) { return tool.Find<QLineEdit>(name); }

void Type(ToolHarness& tool, const QString& name, const QString& text) { Edit(tool, name)->setText(text); }

// Shows the window and makes it active, so focus moves can be observed.
void ShowActive(ToolHarness& tool)
{
    tool.Window().show();
    tool.Window().activateWindow();
    if (!QTest::qWaitForWindowActive(&tool.Window())) QTest::qFail("window not active", __FILE__, __LINE__);
}

// Types text as key presses, one character each, whatever its code point
// (QTest::keyClicks takes Latin-1 only).
void TypeKeys(QWidget* widget, const QString& text)
{
    for (char32_t c : text.toUcs4()) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromUcs4(&c, 1));
        QApplication::sendEvent(widget, &press);
    }
}

}  // namespace

class ConfigCycleTest : public QObject {
    Q_OBJECT
private slots:
    void portAndDeviceChecksComeFirst();
    void readInEditStateKeepsEditingAndTheAnswerReplacesTheText();
    void answersOfTheWrongLengthAreIgnoredEntirely();
    void answersFillATabThatIsNotShowing();
    void clearInViewStateEmptiesAndKeepsFieldsLocked();
    void writeWithThePortClosedStillLeavesEditState();
    void conversionFailuresStopWhereTheyHappen();
    void aWriteLeavesTheFocusOnEdit();
    void pollingIntervalRange_data();
    void pollingIntervalRange();
    void serverAddressesWriteAndReadBack();
    void privateAddressesAskOnce();
    void copyRepeatsRowOneAsTyped();
    void wifiWritesNameAndPasswordAndReadsThemBack();
    void wifiRefusesOneEmptyField();
    void wifiFieldsTakeOnlyWhatTheLinkCarries();
};

void ConfigCycleTest::portAndDeviceChecksComeFirst()
{
    ToolHarness tool;
    tool.Start();
    tool.Click("BtnLer2");
    tool.Click("BtnEditar2");
    QCOMPARE(tool.dialogs.Texts(), QStringList(2, QStringLiteral("Porta serial não está aberta.")));
    QVERIFY(!tool.InEditState(2));

    // With the port open but no panel identified, edit unlocks the fields
    // and write refuses, still in edit state.
    ToolHarness silent;
    PanelHost& panel = silent.AddPanel(3);
    panel.Panel().SetSilent(true);
    silent.Start();
    QVERIFY(silent.OpenPort());
    silent.Click("BtnEditar2");
    QVERIFY(silent.InEditState(2));
    QVERIFY(Edit(silent, "CfgTimerMsgPolling")->isEnabled());
    Type(silent, "CfgTimerMsgPolling", "60");
    Type(silent, "CfgTimerMsgPollingReduzido", "30");
    silent.Click("BtnGravar2");
    QCOMPARE(silent.dialogs.Texts(), QStringList{QStringLiteral("Equipamento não conectado.")});
    QVERIFY(silent.InEditState(2));
    QCOMPARE(panel.Panel().CommandCount(kWrite), std::size_t{0});
}

void ConfigCycleTest::readInEditStateKeepsEditingAndTheAnswerReplacesTheText()
{
    ToolHarness tool;
    PanelHost& panel = tool.StartConnected();
    tool.Click("BtnEditar2");
    tool.Click("BtnEditar2");  // a second click changes nothing
    QVERIFY(tool.InEditState(2));
    Type(tool, "CfgTimerMsgPolling", "999");

    tool.Click("BtnLer2");
    QVERIFY(tool.WaitForStatus(kPollingTitle));
    QCOMPARE(Edit(tool, "CfgTimerMsgPolling")->text(), QStringLiteral("300"));
    QCOMPARE(Edit(tool, "CfgTimerMsgPollingReduzido")->text(), QStringLiteral("60"));
    QVERIFY(tool.InEditState(2));
    QVERIFY(Edit(tool, "CfgTimerMsgPolling")->isEnabled());
    QCOMPARE(panel.Panel().ReceivedFrames().back().payload, (Bytes{2}));
    QVERIFY(tool.dialogs.Boxes().empty());
}

void ConfigCycleTest::answersOfTheWrongLengthAreIgnoredEntirely()
{
    ToolHarness tool;
    PanelHost& panel = tool.StartConnected();
    Type(tool, "CfgTimerMsgPolling", "keep");
    for (const Bytes& wrong : {Bytes{2, 0, 1, 0}, Bytes{2, 0, 1, 0, 1, 0}}) {
        panel.Panel().SetBlock(wrong);
        tool.Click("BtnLer2");
        // The answer to a later read arrives after the wrong one: by then the
        // wrong one has been handled (and ignored).
        tool.Click("BtnLer1");
        QVERIFY(tool.WaitForStatus(QStringLiteral("CONFIGURAÇÃO DOS NUMEROS IPS E PORTAS")));
        QCOMPARE(Edit(tool, "CfgTimerMsgPolling")->text(), QStringLiteral("keep"));
        tool.StatusLine()->clear();
    }
}

void ConfigCycleTest::answersFillATabThatIsNotShowing()
{
    ToolHarness tool;
    tool.StartConnected();
    QCOMPARE(tool.Find<QTabWidget>("PageControlPrincipal")->currentIndex(), 0);
    tool.Click("BtnLer3");
    QVERIFY(tool.WaitForStatus(QStringLiteral("CONFIGURAÇÃO REDE E SENHA WIFI")));
    QVERIFY(!Edit(tool, "CfgSsidRedeWifi")->text().isEmpty());
    QVERIFY(!Edit(tool, "CfgSsidRedeWifi")->isEnabled());
}

void ConfigCycleTest::clearInViewStateEmptiesAndKeepsFieldsLocked()
{
    ToolHarness tool;
    tool.StartConnected();
    tool.Click("BtnLer1");
    QVERIFY(tool.WaitForStatus(QStringLiteral("CONFIGURAÇÃO DOS NUMEROS IPS E PORTAS")));
    QVERIFY(!Edit(tool, "EndIp01_0")->text().isEmpty());
    tool.Click("BtnLimpar1");
    for (const char* name : {"EndIp01_0", "EndIp04_3", "PortaIp02", "PortaIp04"}) {
        QVERIFY2(Edit(tool, name)->text().isEmpty(), name);
        QVERIFY2(!Edit(tool, name)->isEnabled(), name);
    }
    QVERIFY(!tool.InEditState(1));
}

void ConfigCycleTest::writeWithThePortClosedStillLeavesEditState()
{
    ToolHarness tool;
    PanelHost& panel = tool.StartConnected();
    tool.Click("BtnEditar2");
    Type(tool, "CfgTimerMsgPolling", "60");
    Type(tool, "CfgTimerMsgPollingReduzido", "30");
    tool.Trigger("MenuSerialFechar");
    QVERIFY(tool.Session().IsEquipmentConnected());

    tool.Click("BtnGravar2");
    QVERIFY(!tool.InEditState(2));
    QVERIFY(!Edit(tool, "CfgTimerMsgPolling")->isEnabled());
    QVERIFY(tool.Session().WritePending());
    DrainEvents();
    QCOMPARE(panel.Panel().CommandCount(kWrite), std::size_t{0});
    QVERIFY(tool.dialogs.Boxes().empty());
}

void ConfigCycleTest::conversionFailuresStopWhereTheyHappen()
{
    ToolHarness tool;
    PanelHost& panel = tool.StartConnected();
    tool.Click("BtnEditar2");
    // Validated before the switch to view state: the page stays editable.
    Type(tool, "CfgTimerMsgPolling", "abc");
    Type(tool, "CfgTimerMsgPollingReduzido", "30");
    tool.Click("BtnGravar2");
    QCOMPARE(tool.dialogs.Texts(), QStringList{QStringLiteral("'abc' is not a valid integer value")});
    QVERIFY(tool.InEditState(2));

    // Converted only while packing, after the switch: view state, nothing sent.
    tool.dialogs.Clear();
    Type(tool, "CfgTimerMsgPolling", "60");
    Type(tool, "CfgTimerMsgPollingReduzido", "1O");
    tool.Click("BtnGravar2");
    QCOMPARE(tool.dialogs.Texts(), QStringList{QStringLiteral("'1O' is not a valid integer value")});
    QVERIFY(!tool.InEditState(2));
    QVERIFY(!tool.Session().WritePending());
    DrainEvents();
    QCOMPARE(panel.Panel().CommandCount(kWrite), std::size_t{0});
}

void ConfigCycleTest::aWriteLeavesTheFocusOnEdit()
{
    // Clicked with the mouse (the button takes the focus) or from the
    // keyboard with the focus in a field: both are locked by the write.
    for (bool mouse : {true, false}) {
        ToolHarness tool;
        tool.StartConnected();
        ShowActive(tool);
        tool.Find<QTabWidget>("PageControlPrincipal")->setCurrentIndex(1);
        tool.Click("BtnEditar2");
        Type(tool, "CfgTimerMsgPolling", "60");
        Type(tool, "CfgTimerMsgPollingReduzido", "30");
        Edit(tool, "CfgTimerMsgPollingReduzido")->setFocus();
        auto* write = tool.Find<QPushButton>("BtnGravar2");
        if (mouse) QTest::mouseClick(write, Qt::LeftButton);
        else write->click();
        QVERIFY(!tool.InEditState(2));
        QCOMPARE(QApplication::focusWidget(), tool.Find<QPushButton>("BtnEditar2"));
        QVERIFY(tool.WaitForStatus(kWritten));
    }
}

void ConfigCycleTest::pollingIntervalRange_data()
{
    QTest::addColumn<QString>("interval");
    QTest::addColumn<QString>("reduced");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QByteArray>("stored");
    QTest::newRow("29") << "29" << "10" << false << QByteArray();
    QTest::newRow("30") << "30" << "0" << true << QByteArray("\x02\x00\x1e\x00\x00", 5);
    QTest::newRow("65535") << "65535" << "10" << true << QByteArray("\x02\xff\xff\x00\x0a", 5);
    QTest::newRow("65536") << "65536" << "10" << false << QByteArray();
    QTest::newRow("hex interval, reduced 65535") << "$3C" << "65535" << true << QByteArray("\x02\x00\x3c\xff\xff", 5);
}

void ConfigCycleTest::pollingIntervalRange()
{
    QFETCH(QString, interval);
    QFETCH(QString, reduced);
    QFETCH(bool, accepted);
    QFETCH(QByteArray, stored);

    ToolHarness tool;
    PanelHost& panel = tool.StartConnected();
    ShowActive(tool);
    tool.Find<QTabWidget>("PageControlPrincipal")->setCurrentIndex(1);
    tool.Click("BtnEditar2");
    Type(tool, "CfgTimerMsgPolling", interval);
    Type(tool, "CfgTimerMsgPollingReduzido", reduced);
    Edit(tool, "CfgTimerMsgPollingReduzido")->setFocus();
    tool.Click("BtnGravar2");
    if (!accepted) {
        QCOMPARE(tool.dialogs.Texts(), QStringList{QStringLiteral("Valor fora da faixa especificada.")});
        QCOMPARE(QApplication::focusWidget(), Edit(tool, "CfgTimerMsgPolling"));
        QVERIFY(tool.InEditState(2));
        return;
    }
    QVERIFY(tool.WaitForStatus(kWritten));
    QCOMPARE(tool.StatusLine()->palette().color(QPalette::WindowText), QColor(0, 128, 0));
    QCOMPARE(*panel.Panel().Block(2), Bytes(stored.begin(), stored.end()));
}

void ConfigCycleTest::serverAddressesWriteAndReadBack()
{
    ToolHarness tool;
    PanelHost& panel = tool.StartConnected();
    tool.Click("BtnEditar1");
    const QStringList rows[4] = {{"200", "44", "0", "1", "4464"},
                                 {"8", "8", "8", "8", "53"},
                                 {"1", "2", "3", "4", "65535"},
                                 {"201", "0", "113", "9", "0"}};
    for (int row = 0; row < 4; ++row) {
        for (int octet = 0; octet < 4; ++octet) Type(tool, QStringLiteral("EndIp0%1_%2").arg(row + 1).arg(octet), rows[row][octet]);
        Type(tool, QStringLiteral("PortaIp0%1").arg(row + 1), rows[row][4]);
    }
    tool.Click("BtnGravar1");
    QVERIFY(tool.WaitForStatus(kWritten));
    QVERIFY(tool.dialogs.Boxes().empty());
    QCOMPARE(*panel.Panel().Block(1), (Bytes{1, 200, 44, 0, 1, 0x11, 0x70, 8, 8, 8, 8, 0, 53,
                                             1, 2, 3, 4, 0xFF, 0xFF, 201, 0, 113, 9, 0, 0}));

    tool.Click("BtnLimpar1");
    tool.Click("BtnLer1");
    QVERIFY(tool.WaitForStatus(QStringLiteral("CONFIGURAÇÃO DOS NUMEROS IPS E PORTAS")));
    QCOMPARE(Edit(tool, "EndIp01_1")->text(), QStringLiteral("44"));
    QCOMPARE(Edit(tool, "PortaIp01")->text(), QStringLiteral("4464"));
    QCOMPARE(Edit(tool, "PortaIp03")->text(), QStringLiteral("65535"));
    QCOMPARE(Edit(tool, "EndIp04_0")->text(), QStringLiteral("201"));
}

void ConfigCycleTest::privateAddressesAskOnce()
{
    const QString question = QStringLiteral("Endereço IP não válido para internet. Deseja gravar mesmo assim?");
    struct Case {
        const char* name;
        QStringList firstOctets;   // octet 0 of rows 1..4
        QStringList secondOctets;  // octet 1 of rows 1..4
        std::deque<bool> answers;
        int questions;
        bool sent;
    };
    const Case cases[] = {
        {"10 refused", {"10", "8", "8", "8"}, {"0", "8", "8", "8"}, {false}, 1, false},
        {"10 and 192.168 accepted", {"10", "8", "192", "8"}, {"0", "8", "168", "8"}, {true}, 1, true},
        {"any 172", {"8", "172", "8", "8"}, {"8", "217", "8", "8"}, {false}, 1, false},
        {"public", {"192", "200", "8", "8"}, {"0", "168", "8", "8"}, {}, 0, true},
    };
    for (const Case& c : cases) {
        ToolHarness tool;
        PanelHost& panel = tool.StartConnected();
        tool.dialogs.answers = c.answers;
        tool.Click("BtnEditar1");
        for (int row = 0; row < 4; ++row) {
            Type(tool, QStringLiteral("EndIp0%1_0").arg(row + 1), c.firstOctets[row]);
            Type(tool, QStringLiteral("EndIp0%1_1").arg(row + 1), c.secondOctets[row]);
            Type(tool, QStringLiteral("EndIp0%1_2").arg(row + 1), "0");
            Type(tool, QStringLiteral("EndIp0%1_3").arg(row + 1), "1");
            Type(tool, QStringLiteral("PortaIp0%1").arg(row + 1), "80");
        }
        tool.Click("BtnGravar1");
        QCOMPARE(tool.dialogs.Boxes().size(), std::size_t(c.questions));
        for (const auto& shown : tool.dialogs.Boxes()) {
            QCOMPARE(shown.kind, QStringLiteral("Atenção"));
            QCOMPARE(shown.text, question);
        }
        if (c.sent) {
            QVERIFY2(tool.WaitForStatus(kWritten), c.name);
        } else {
            QVERIFY2(tool.InEditState(1), c.name);
            DrainEvents();
            QCOMPARE(panel.Panel().CommandCount(kWrite), std::size_t{0});
        }
    }
}

void ConfigCycleTest::copyRepeatsRowOneAsTyped()
{
    ToolHarness tool;
    PanelHost& panel = tool.StartConnected();
    tool.Click("BtnLer1");
    QVERIFY(tool.WaitForStatus(QStringLiteral("CONFIGURAÇÃO DOS NUMEROS IPS E PORTAS")));
    tool.Click("BtnEditar1");
    Type(tool, "EndIp01_0", " 7x");
    Type(tool, "EndIp01_1", "");
    Type(tool, "PortaIp01", "81");
    const std::size_t frames = panel.Panel().ReceivedFrames().size();
    tool.Click("Button3");
    for (int row = 2; row <= 4; ++row) {
        QCOMPARE(Edit(tool, QStringLiteral("EndIp0%1_0").arg(row))->text(), QStringLiteral(" 7x"));
        QVERIFY(Edit(tool, QStringLiteral("EndIp0%1_1").arg(row))->text().isEmpty());
        QCOMPARE(Edit(tool, QStringLiteral("EndIp0%1_2").arg(row))->text(), Edit(tool, "EndIp01_2")->text());
        QCOMPARE(Edit(tool, QStringLiteral("PortaIp0%1").arg(row))->text(), QStringLiteral("81"));
    }
    QVERIFY(tool.InEditState(1));
    DrainEvents();
    QCOMPARE(panel.Panel().ReceivedFrames().size(), frames);
    QVERIFY(tool.Find<QPushButton>("Button3")->isEnabled());
}

void ConfigCycleTest::wifiWritesNameAndPasswordAndReadsThemBack()
{
    const struct {
        const char* name;
        QString ssid;
        QString password;
        Bytes stored;
    } cases[] = {
        {"plain", "abc", "12345678", {6, 3, 'a', 'b', 'c', 8, '1', '2', '3', '4', '5', '6', '7', '8'}},
        {"both empty", "", "", {6, 0, 0}},
        {"accents and euro", QStringLiteral("Café ç"), QStringLiteral("€uro"),
         {6, 6, 'C', 'a', 'f', 0xE9, ' ', 0xE7, 4, 0x80, 'u', 'r', 'o'}},
    };
    for (const auto& c : cases) {
        ToolHarness tool;
        PanelHost& panel = tool.StartConnected();
        tool.Click("BtnEditar3");
        Type(tool, "CfgSsidRedeWifi", c.ssid);
        Type(tool, "CfgSenhaRedeWifi", c.password);
        tool.Click("BtnGravar3");
        QVERIFY2(tool.WaitForStatus(kWritten), c.name);
        QCOMPARE(*panel.Panel().Block(6), c.stored);
        QVERIFY(!tool.InEditState(3));

        tool.Click("BtnLimpar3");
        Type(tool, "CfgSsidRedeWifi", "old");
        tool.Click("BtnLer3");
        QVERIFY(tool.WaitForStatus(QStringLiteral("CONFIGURAÇÃO REDE E SENHA WIFI")));
        // A length of 0 in the answer leaves the field as it was.
        QCOMPARE(Edit(tool, "CfgSsidRedeWifi")->text(), c.ssid.isEmpty() ? QStringLiteral("old") : c.ssid);
        QCOMPARE(Edit(tool, "CfgSenhaRedeWifi")->text(), c.password);
    }

    // A name with a zero byte shows up to it; an answer shorter than its
    // lengths announce shows only what it holds.
    ToolHarness tool;
    PanelHost& panel = tool.StartConnected();
    panel.Panel().SetBlock({6, 4, 'a', 'b', 0, 'c', 30, 'p', 'w'});
    tool.Click("BtnLer3");
    QVERIFY(tool.WaitForStatus(QStringLiteral("CONFIGURAÇÃO REDE E SENHA WIFI")));
    QCOMPARE(Edit(tool, "CfgSsidRedeWifi")->text(), QStringLiteral("ab"));
    QCOMPARE(Edit(tool, "CfgSenhaRedeWifi")->text(), QStringLiteral("pw"));
}

void ConfigCycleTest::wifiRefusesOneEmptyField()
{
    for (bool nameEmpty : {true, false}) {
        ToolHarness tool;
        PanelHost& panel = tool.StartConnected();
        ShowActive(tool);
        tool.Find<QTabWidget>("PageControlPrincipal")->setCurrentIndex(2);
        tool.Click("BtnEditar3");
        Type(tool, "CfgSsidRedeWifi", nameEmpty ? "" : "net");
        Type(tool, "CfgSenhaRedeWifi", nameEmpty ? "secret" : "");
        tool.Click("BtnGravar3");
        QCOMPARE(tool.dialogs.Texts(), QStringList{QStringLiteral("Campo vazio.")});
        QCOMPARE(QApplication::focusWidget(), Edit(tool, nameEmpty ? "CfgSsidRedeWifi" : "CfgSenhaRedeWifi"));
        QVERIFY(tool.InEditState(3));
        DrainEvents();
        QCOMPARE(panel.Panel().CommandCount(kWrite), std::size_t{0});
    }
}

void ConfigCycleTest::wifiFieldsTakeOnlyWhatTheLinkCarries()
{
    ToolHarness tool;
    tool.StartConnected();
    ShowActive(tool);
    tool.Find<QTabWidget>("PageControlPrincipal")->setCurrentIndex(2);
    tool.Click("BtnEditar3");
    QLineEdit* ssid = Edit(tool, "CfgSsidRedeWifi");
    ssid->setFocus();
    TypeKeys(ssid, QStringLiteral("a\u0100\u4E2Db\u00E7\u20AC"));
    QCOMPARE(ssid->text(), QStringLiteral("ab\u00E7\u20AC"));
    ssid->clear();
    QTest::keyClicks(ssid, QString(40, QLatin1Char('x')));
    QCOMPARE(ssid->text().size(), 39);
}

QTEST_MAIN(ConfigCycleTest)
#include "config_cycle_test.moc"
