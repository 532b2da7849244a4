// "Portas de rede": a network address given a COM number is listed in
// "Numero porta" with its address as tooltip and opens like any other port;
// a number a device holds, and an address out of shape, are refused.

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>

#include "fake_serial_server.h"
#include "support/tool_harness.h"
#include "ui/main/form_portas_rede.h"

class NetworkPortsWindowTest : public QObject {
    Q_OBJECT
private slots:
    void aNetworkPortIsAddedOpenedAndRemoved();
};

void NetworkPortsWindowTest::aNetworkPortIsAddedOpenedAndRemoved()
{
    ToolHarness tool;
    const QString device = tool.AddPanel(3).DevicePath();
    FakeSerialServer server(FakeSerialServer::Mode::Rfc2217);
    const QString address = server.Start();
    std::map<int, NetworkAddress> remembered{{99, {}}};
    tool.Start({.rememberNetworkPorts = [&remembered](const std::map<int, NetworkAddress>& ports) { remembered = ports; }});

    tool.Trigger("MenuPortasRede");
    QCOMPARE(tool.dialogs.WindowsShown(), QStringList{"FormPortasRede"});
    TFormPortasRede& window = tool.App().NetworkPortsWindow();
    auto* number = window.findChild<QSpinBox*>("EditNumeroPortaRede");
    auto* edit = window.findChild<QLineEdit*>("EditEnderecoRede");
    auto* add = window.findChild<QPushButton*>("BtnAdicionarPortaRede");
    auto* grid = window.findChild<QTableWidget*>("GridPortasRede");
    QVERIFY(number && edit && add && grid && window.findChild<QPushButton*>("BtnRemoverPortaRede") &&
            window.findChild<QPushButton*>("BtnFecharPortasRede"));

    const struct {
        int number;
        QString address;
        QString box;
    } refused[] = {
        {3, address, "A porta COM3 já é usada pelo dispositivo " + device + ". Escolha outro número."},
        {20, "rfc2217://host", "Endereço de rede inválido: falta a porta."},
        {20, "rfc2217://ana@host:4001", "Endereço de rede inválido: o endereço não leva usuário nem senha."},
    };
    for (const auto& r : refused) {
        number->setValue(r.number);
        edit->setText(r.address);
        add->click();
        QCOMPARE(tool.dialogs.Boxes().size(), std::size_t{1});
        QCOMPARE(tool.dialogs.Boxes().back().kind, QStringLiteral("Erro"));
        QVERIFY2(tool.dialogs.Boxes().back().text.startsWith(r.box), qPrintable(tool.dialogs.Boxes().back().text));
        tool.dialogs.Clear();
    }
    QCOMPARE(grid->rowCount(), 0);
    QCOMPARE(remembered.size(), std::size_t{1});  // nothing changed yet

    number->setValue(20);
    edit->setText(address);
    add->click();
    QCOMPARE(grid->rowCount(), 1);
    QCOMPARE(grid->item(0, 0)->text(), QStringLiteral("COM20"));
    QCOMPARE(grid->item(0, 1)->text(), address);
    QCOMPARE(remembered.size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(remembered.at(20).Text()), address);

    QAction* entry = tool.Action("COM20");
    QVERIFY(entry);
    QCOMPARE(entry->toolTip(), address);
    QVERIFY(tool.Window().SelectPort(20));
    QVERIFY(tool.OpenPort());
    QVERIFY(QTest::qWaitFor([&tool] { return tool.Session().IsEquipmentConnected(); }, 3000));
    QCOMPARE(tool.StatusPanel(2), QStringLiteral("Porta: COM20"));
    tool.Window().CloseSerialPort();

    grid->selectRow(0);
    window.findChild<QPushButton*>("BtnRemoverPortaRede")->click();
    QCOMPARE(grid->rowCount(), 0);
    QVERIFY(remembered.empty());
    QVERIFY(!tool.Window().findChild<QAction*>("COM20"));
}

QTEST_MAIN(NetworkPortsWindowTest)
#include "network_ports_window_test.moc"
