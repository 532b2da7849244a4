// "Portas de rede": a network address given a COM number is listed in
// "Numero porta" with its address as tooltip and opens like any other port;
// a number a device holds, and an address out of shape, are refused. Opening
// one never holds the window while it connects.

#include <QAction>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTcpServer>
#include <QTest>
#include <QTimer>

#include "fake_serial_server.h"
#include "support/tool_harness.h"
#include "ui/main/form_portas_rede.h"

class NetworkPortsWindowTest : public QObject {
    Q_OBJECT
private slots:
    void aNetworkPortIsAddedOpenedAndRemoved();
    void aServerThatNeverAnswersHoldsNothingAndFailsWithinTheTimeOut();
};

namespace {

void AddNetworkPort(ToolHarness& tool, int number, const QString& address)
{
    tool.Trigger("MenuPortasRede");
    TFormPortasRede& window = tool.App().NetworkPortsWindow();
    window.findChild<QSpinBox*>("EditNumeroPortaRede")->setValue(number);
    window.findChild<QLineEdit*>("EditEnderecoRede")->setText(address);
    window.findChild<QPushButton*>("BtnAdicionarPortaRede")->click();
}

}  // namespace

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

void NetworkPortsWindowTest::aServerThatNeverAnswersHoldsNothingAndFailsWithinTheTimeOut()
{
    // Takes the connection and never says a word: the line's settings wait
    // for their time-out. The server runs on this thread, so it accepts
    // only while the event loop turns.
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost, 0));
    int accepted = 0;
    QObject::connect(&server, &QTcpServer::newConnection, &server, [&accepted] { ++accepted; });
    ToolHarness tool;
    tool.Start();
    AddNetworkPort(tool, 20, QStringLiteral("rfc2217://127.0.0.1:%1").arg(server.serverPort()));
    QVERIFY(tool.dialogs.Boxes().empty());
    QVERIFY(tool.Window().SelectPort(20));

    int beats = 0;
    QTimer beat;
    QObject::connect(&beat, &QTimer::timeout, &beat, [&beats] { ++beats; });
    beat.start(50);
    QElapsedTimer elapsed;
    elapsed.start();
    tool.Trigger("MenuSerialAbrir");
    QVERIFY2(elapsed.elapsed() < 500, qPrintable(QString::number(elapsed.elapsed())));
    QVERIFY(tool.Session().IsPortOpening());
    QCOMPARE(tool.StatusPanel(2), QStringLiteral("Abrindo COM20..."));
    QVERIFY(!tool.Action("MenuSerialAbrir")->isEnabled());
    QVERIFY(tool.Action("MenuSerialFechar")->isEnabled());

    QVERIFY(QTest::qWaitFor([&tool] { return !tool.Session().IsPortOpening(); }, 6000));
    const qint64 took = elapsed.elapsed();
    QVERIFY2(took >= 2900 && took < 5000, qPrintable(QString::number(took)));
    QVERIFY2(beats >= took / 50 / 2, qPrintable(QStringLiteral("%1 beats in %2 ms").arg(beats).arg(took)));
    QCOMPARE(accepted, 1);
    QVERIFY(!tool.Session().IsPortOpen());
    QCOMPARE(tool.Session().OpenFailure()->kind, LinkOpenFailure::Kind::NotAnswered);
    QCOMPARE(tool.dialogs.Boxes().size(), std::size_t{1});
    QCOMPARE(tool.dialogs.Boxes().back().kind, QStringLiteral("Erro"));
    QCOMPARE(tool.dialogs.Boxes().back().text, QStringLiteral("Erro ao tentar abrir a porta."));
    QCOMPARE(tool.StatusPanel(2), QString());
    QVERIFY(tool.Action("MenuSerialAbrir")->isEnabled());
    tool.dialogs.Clear();

    // "Fechar" while it opens gives the open up, without a word.
    tool.Trigger("MenuSerialAbrir");
    QVERIFY(tool.Session().IsPortOpening());
    tool.Trigger("MenuSerialFechar");
    QVERIFY(!tool.Session().IsPortOpening() && !tool.Session().IsPortOpen());
    QVERIFY(tool.dialogs.Boxes().empty());
    QCOMPARE(tool.StatusPanel(2), QString());
    QVERIFY(tool.Action("MenuSerialAbrir")->isEnabled());
}

QTEST_MAIN(NetworkPortsWindowTest)
#include "network_ports_window_test.moc"
