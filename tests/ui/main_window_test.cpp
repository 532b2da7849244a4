// The main window as the installer first sees it, and the port lifecycle
// driven through its menus against pseudo-terminals.

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "session/frame_trace_file.h"
#include "support/file_size_limit.h"
#include "support/tool_harness.h"
#include "ui/main/form_principal.h"

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void startsWithItsLayout();
    void menusStartInTheClosedState();
    void everyTabCarriesItsFourButtons();
    void opensNothingWithoutAPort();
    void saysWhenTheTraceStops();
};

void MainWindowTest::startsWithItsLayout()
{
    ToolHarness tool;
    TFormPrincipal& window = tool.Start();

    QCOMPARE(window.objectName(), QStringLiteral("FormPrincipal"));
    QCOMPARE(window.windowTitle(), QStringLiteral("Quorvel - V1.08"));
    QCOMPARE(window.height() - window.menuBar()->sizeHint().height(), 629);
    QCOMPARE(window.width(), 738);
    QVERIFY(!(window.windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(window.minimumSize(), window.maximumSize());

    auto* status = window.findChild<QLabel*>(QStringLiteral("LabelStatusCmd"));
    QVERIFY(status);
    QVERIFY(status->text().isEmpty());
    QVERIFY(status->font().bold());
    QCOMPARE(status->palette().color(QPalette::WindowText), QColor(Qt::blue));
    QCOMPARE(window.findChild<QLabel*>(QStringLiteral("Label2"))->text(), QStringLiteral("Status:"));

    QStatusBar* bar = window.statusBar();
    QCOMPARE(bar->objectName(), QStringLiteral("StatusBar"));
    const auto panels = bar->findChildren<QLabel*>(QRegularExpression(QStringLiteral("^StatusBarPanel\\d$")));
    QCOMPARE(panels.size(), 3);
    for (int i = 0; i < 3; ++i) {
        auto* panel = bar->findChild<QLabel*>(QStringLiteral("StatusBarPanel%1").arg(i));
        QVERIFY(panel);
        QVERIFY(panel->text().isEmpty());
    }
    QCOMPARE(bar->findChild<QLabel*>(QStringLiteral("StatusBarPanel0"))->width(), 250);
    QCOMPARE(bar->findChild<QLabel*>(QStringLiteral("StatusBarPanel1"))->width(), 400);
    QVERIFY(bar->findChild<QLabel*>(QStringLiteral("StatusBarPanel2"))->minimumWidth() >= 50);

    auto* polling = window.findChild<QTimer*>(QStringLiteral("TimerPolling"));
    QVERIFY(polling && polling->isActive());
    QCOMPARE(polling->interval(), 1000);
    auto* timeout = window.findChild<QTimer*>(QStringLiteral("TimeoutSerial"));
    QVERIFY(timeout && !timeout->isActive());
    auto* speedButton = window.findChild<QPushButton*>(QStringLiteral("SpeedButton1"));
    QVERIFY(speedButton);
    window.show();
    QVERIFY(!speedButton->isVisible());
}

void MainWindowTest::menusStartInTheClosedState()
{
    ToolHarness tool;
    TFormPrincipal& window = tool.Start();
    QCOMPARE(window.menuBar()->objectName(), QStringLiteral("MainMenu1"));

    struct Item {
        const char* name;
        const char* caption;
        bool enabled;
        bool checked;
    };
    const Item items[] = {
        {"Sair1", "Sair", true, false},
        {"PortaSerial1", "Porta Serial", true, false},
        {"MenuSerialAbrir", "Abrir", true, false},
        {"MenuSerialFechar", "Fechar", false, false},
        {"MenuNumPorta", "Numero porta", true, false},
        {"MenuVelocidadePorta", "Velocidade", true, false},
        {"ConfigBaud115200", "115200 bps", true, true},
        {"ConfigBaud57600", "57600 bps", true, false},
        {"ConfigBaud38400", "38400 bps", true, false},
        {"ConfigBaud19200", "19200 bps", true, false},
        {"ConfigBaud9600", "9600 bps", true, false},
        {"Atualizaodefirmware1", "Atualização de firmware", false, false},
        {"Debug1", "Debug", false, false},
    };
    for (const Item& item : items) {
        QAction* action = tool.Action(item.name);
        QVERIFY2(action, item.name);
        QCOMPARE(action->text(), QString::fromUtf8(item.caption));
        QVERIFY2(action->isEnabled() == item.enabled, item.name);
        QVERIFY2(action->isChecked() == item.checked, item.name);
    }

    // The menu bar holds its entries in order; submenus are QMenus by name.
    QStringList top;
    for (QAction* action : window.menuBar()->actions()) top << action->objectName();
    QCOMPARE(top, (QStringList{"Sair1", "PortaSerial1", "Atualizaodefirmware1", "Debug1", "Biblioteca1", "MenuIdioma"}));
    // The library works without a panel.
    QVERIFY(tool.Action("Biblioteca1")->isEnabled());
    for (const char* name : {"PortaSerial1", "MenuNumPorta", "MenuVelocidadePorta"}) {
        QVERIFY2(window.findChild<QMenu*>(QString::fromLatin1(name)), name);
    }

    // "Atualização de firmware" and "Debug" show nothing while the port is closed.
    tool.Action("Atualizaodefirmware1")->setEnabled(true);
    tool.Trigger("Atualizaodefirmware1");
    tool.Action("Debug1")->setEnabled(true);
    tool.Trigger("Debug1");
    QVERIFY(tool.dialogs.Boxes().empty());
}

void MainWindowTest::everyTabCarriesItsFourButtons()
{
    ToolHarness tool;
    TFormPrincipal& window = tool.Start();
    auto* tabs = window.findChild<QTabWidget*>(QStringLiteral("PageControlPrincipal"));
    QVERIFY(tabs);
    QCOMPARE(tabs->currentIndex(), 0);

    const QStringList names = {"TabSheet1",  "TabSheet2",  "TabSheet3",  "TabSheet4",  "TabSheet5",
                               "TabSheet6",  "TabSheet7",  "TabSheet8",  "TabSheet24", "TabSheet26",
                               "TabSheet27", "TabSheet28", "TabSheet29", "TabSheet30", "TabSheet18"};
    const QStringList captions = {"Número IP e Porta", "Intervalo de polling", "Wifi", "Modem GPRS", "Sensores",
                                  "Atuadores", "Ibutton", "Sensores RF", "Regras central", "Endereço teclado",
                                  "Partição teclado", "Cofre", "DNS", "Sensor temperatura", "Função alarme"};
    QCOMPARE(tabs->count(), 15);
    for (int i = 0; i < 15; ++i) {
        QWidget* page = tabs->widget(i);
        QCOMPARE(page->objectName(), names[i]);
        QCOMPARE(tabs->tabText(i), captions[i]);
        const struct {
            const char* prefix;
            const char* caption;
            bool enabled;
        } buttons[] = {{"BtnLer", "Ler Config", true},
                       {"BtnEditar", "Editar Config", true},
                       {"BtnGravar", "Gravar Config", false},
                       {"BtnLimpar", "Limpar Campos", true}};
        for (const auto& b : buttons) {
            const QString name = QString::fromLatin1(b.prefix) + QString::number(i + 1);
            auto* button = page->findChild<QPushButton*>(name);
            QVERIFY2(button, qPrintable(name));
            QCOMPARE(button->text(), QString::fromLatin1(b.caption));
            QCOMPARE(button->isEnabled(), b.enabled);
        }
    }

    const struct {
        const char* control;
        QStringList captions;
    } inner[] = {
        {"PageControlModem",
         {"Regras jamming detection", "Nível jamming detection", "Enviar dados do simcard", "Senha PIN", "Dados ERB"}},
        {"PageControlAtuadores", {"Saídas", "Sirene", "Comum", "Buzzer"}},
        {"PageControlSensorRF",
         {"Sensores cadastrados", "Cadastrar novo sensor", "Apagar sensor", "Configuração RF"}},
    };
    for (const auto& pc : inner) {
        auto* control = window.findChild<QTabWidget*>(QString::fromLatin1(pc.control));
        QVERIFY2(control, pc.control);
        QStringList shown;
        for (int i = 0; i < control->count(); ++i) shown << control->tabText(i);
        QCOMPARE(shown, pc.captions);
    }
}

void MainWindowTest::opensNothingWithoutAPort()
{
    ToolHarness tool;
    TFormPrincipal& window = tool.Start();
    QVERIFY(tool.Action("MenuNumPorta")->menu()->actions().isEmpty());
    QCOMPARE(window.SelectedPortNumber(), 0);

    tool.Trigger("MenuSerialAbrir");
    QCOMPARE(tool.dialogs.Texts(), QStringList{QStringLiteral("Número da porta serial inválido.")});
    QVERIFY(!tool.Session().IsPortOpen());
}

// A trace that can no longer be written stops, and the status bar says so.
void MainWindowTest::saysWhenTheTraceStops()
{
    QTemporaryDir dir;
    ToolHarness tool;
    FrameTraceFile trace(tool.clock);
    QVERIFY(trace.Open(dir.filePath("trace.txt")));
    TFormPrincipal& window = tool.Start({.trace = &trace});
    auto* label = window.findChild<QLabel*>(QStringLiteral("LabelTraceStopped"));
    QVERIFY(label && label->isHidden());
    {
        const FileSizeLimit limit(100);  // room for one frame's line
        const std::uint8_t identify[] = {0xDF, 0x04, 0x8C, 0x9C, 0xC0, 0xFD};
        for (int i = 0; i < 3; ++i) trace.Frame(TraceDirection::Sent, identify, sizeof identify);
    }
    QVERIFY(!label->isHidden());
    QCOMPARE(label->text(), QStringLiteral("Rastreamento interrompido: File too large"));
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
