// Opening, closing and losing a port through the main window's menus, with a
// software panel on a pseudo-terminal at the other end of the line.

#include <QAction>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include "core/link/commands.h"
#include "session/serial_link.h"
#include "support/tool_harness.h"
#include "ui/main/form_principal.h"

namespace {


// Asserts the menu and status-bar state of an open or a closed port.
void VerifyPortState(ToolHarness& tool, bool open)
{
    QCOMPARE(tool.Action("MenuSerialAbrir")->isEnabled(), !open);
    QCOMPARE(tool.Action("MenuNumPorta")->isEnabled(), !open);
    QCOMPARE(tool.Action("MenuVelocidadePorta")->isEnabled(), !open);
    QCOMPARE(tool.Action("MenuSerialFechar")->isEnabled(), open);
    QCOMPARE(tool.Action("Atualizaodefirmware1")->isEnabled(), open);
    QCOMPARE(tool.Action("Debug1")->isEnabled(), open);
    QCOMPARE(tool.Session().IsPortOpen(), open);
    QCOMPARE(tool.Session().LinkOpen(), open);
    QCOMPARE(tool.Window().findChild<QTimer*>(QStringLiteral("TimeoutSerial"))->isActive(), open);
    // The clock keeps ticking whatever the port does.
    QVERIFY(tool.Window().findChild<QTimer*>(QStringLiteral("TimerPolling"))->isActive());
}

}  // namespace

class PortLifecycleTest : public QObject {
    Q_OBJECT
private slots:
    void listsRegisteredPortsAndSelectsTheLowest();
    void opensWithOneIdentificationRequestAndCloses();
    void opensAtTheChosenSpeed();
    void aPortThatIsNotASerialDeviceFailsToOpen();
    void aVanishingDeviceClosesThePortWithOneMessage();
    void exitClosesThePortAndStopsTheTimers();
};

void PortLifecycleTest::listsRegisteredPortsAndSelectsTheLowest()
{
    ToolHarness tool;
    PanelHost& com7 = tool.AddPanel(7);
    tool.AddPanel(3);
    TFormPrincipal& window = tool.Start();

    const QList<QAction*> entries = tool.Action("MenuNumPorta")->menu()->actions();
    QStringList names;
    for (QAction* entry : entries) names << entry->text();
    QCOMPARE(names, (QStringList{"COM3", "COM7"}));
    QCOMPARE(entries[1]->objectName(), QStringLiteral("COM7"));
    // The device shows as a tooltip; a status tip would blank the status bar.
    QCOMPARE(entries[1]->toolTip(), com7.DevicePath());
    QVERIFY(entries[1]->statusTip().isEmpty());
    QVERIFY(tool.Action("MenuNumPorta")->menu()->toolTipsVisible());
    QVERIFY(entries[0]->isChecked());
    QCOMPARE(window.SelectedPortNumber(), 3);

    entries[1]->trigger();
    QVERIFY(entries[1]->isChecked() && !entries[0]->isChecked());
    QCOMPARE(window.SelectedPortNumber(), 7);
}

void PortLifecycleTest::opensWithOneIdentificationRequestAndCloses()
{
    ToolHarness tool;
    PanelHost& panel = tool.AddPanel(3);
    tool.Start();

    QVERIFY(tool.OpenPort());
    VerifyPortState(tool, true);
    QCOMPARE(tool.StatusPanel(2), QStringLiteral("Porta: COM3"));
    QVERIFY(WaitForCommand(panel.Panel(), kIdentify, 1));
    DrainEvents();
    QCOMPARE(panel.Panel().ReceivedFrames().size(), std::size_t{1});
    QCOMPARE(panel.Panel().ReceivedFrames().front().raw, (std::vector<std::uint8_t>{0xDF, 0x04, 0x8C, 0x9C, 0xC0, 0xFD}));

    tool.Trigger("MenuSerialFechar");
    VerifyPortState(tool, false);
    QVERIFY(tool.StatusPanel(2).isEmpty());
    // The list is scanned again and the selection kept.
    QCOMPARE(tool.Window().SelectedPortNumber(), 3);
    QVERIFY(tool.Action("COM3")->isChecked());
    QVERIFY(tool.dialogs.Boxes().empty());
}

void PortLifecycleTest::opensAtTheChosenSpeed()
{
    ToolHarness tool;
    tool.AddPanel(3);
    tool.Start();
    tool.Trigger("ConfigBaud9600");
    QVERIFY(tool.Action("ConfigBaud9600")->isChecked());
    QVERIFY(!tool.Action("ConfigBaud115200")->isChecked());
    QVERIFY(tool.OpenPort());
    // A pseudo-terminal takes any speed: check what the port was given.
    QCOMPARE(tool.Session().Baud(), 9600);
}

void PortLifecycleTest::aPortThatIsNotASerialDeviceFailsToOpen()
{
    ToolHarness tool;
    tool.AddBogusPort(5);
    tool.Start();
    QCOMPARE(tool.Window().SelectedPortNumber(), 5);

    QVERIFY(!tool.OpenPort());
    QCOMPARE(tool.dialogs.Texts(), QStringList{QStringLiteral("Erro ao tentar abrir a porta.")});
    VerifyPortState(tool, false);
    QCOMPARE(tool.Window().SelectedPortNumber(), 5);
}

void PortLifecycleTest::aVanishingDeviceClosesThePortWithOneMessage()
{
    ToolHarness tool;
    PanelHost& panel = tool.AddPanel(3);
    tool.Start();
    QVERIFY(tool.OpenPort());
    QVERIFY(WaitForCommand(panel.Panel(), kIdentify, 1));

    panel.Vanish();
    QTRY_VERIFY_WITH_TIMEOUT(!tool.dialogs.Boxes().empty(), 3000);
    DrainEvents();
    QCOMPARE(tool.dialogs.Texts(), QStringList{QStringLiteral("Erro ao tentar ler da porta.")});
    VerifyPortState(tool, false);
    QVERIFY(tool.StatusPanel(2).isEmpty());
    // The rescan no longer finds the device, so nothing stays selected.
    QCOMPARE(tool.Window().SelectedPortNumber(), 0);
    QVERIFY(tool.Action("MenuNumPorta")->menu()->actions().isEmpty());
}

void PortLifecycleTest::exitClosesThePortAndStopsTheTimers()
{
    ToolHarness tool;
    tool.AddPanel(3);
    TFormPrincipal& window = tool.Start();
    window.show();
    QVERIFY(tool.OpenPort());
    QVERIFY(window.findChild<QTimer*>(QStringLiteral("TimeoutSerial"))->isActive());

    tool.Trigger("Sair1");
    QVERIFY(!tool.Session().IsPortOpen());
    QVERIFY(!window.isVisible());
    QVERIFY(!window.findChild<QTimer*>(QStringLiteral("TimerPolling"))->isActive());
    QVERIFY(!window.findChild<QTimer*>(QStringLiteral("TimeoutSerial"))->isActive());
    QVERIFY(tool.dialogs.Boxes().empty());
}

QTEST_MAIN(PortLifecycleTest)
#include "port_lifecycle_test.moc"
