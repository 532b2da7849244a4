// The diagnostic window against a software panel: status pages polled and
// shown (hidden or not), arming with the right and a wrong code, and a log
// written while polling and read back.

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <fstream>

#include "core/diagnostics/diagnostic_log.h"
#include "support/file_size_limit.h"
#include "support/tool_harness.h"
#include "ui/diagnostics/form_debug.h"

namespace {

const std::uint8_t kStatusRequest = CommandByte(CommandCode::StatusRequestCommand);
const std::uint8_t kArm = CommandByte(CommandCode::ArmCommand);
const std::uint8_t kDisarm = CommandByte(CommandCode::DisarmCommand);

class Diagnostics {
public:
    Diagnostics() : panel(tool.StartConnected()), window(tool.App().DiagnosticWindow())
    {
        // The test drives the 250 ms ticks itself.
        if (auto* timer = window.findChild<QTimer*>(QStringLiteral("TimerPolling"))) timer->stop();
    }

    template <typename T>
    T* Find(const char* name)
    {
        T* control = window.findChild<T*>(QString::fromLatin1(name));
        if (!control) QTest::qFail(name, __FILE__, __LINE__);
        return control;
    }
    QString Text(const char* label) { return Find<QLabel>(label)->text(); }

    // One polling tick, waited for until the panel's answer has been applied.
    bool Poll()
    {
        const std::size_t before = panel.Panel().CommandCount(kStatusRequest);
        window.TimerPollingTimer();
        if (!WaitForCommand(panel.Panel(), kStatusRequest, before + 1)) return false;
        DrainEvents();
        return true;
    }
    // The pages the panel has been asked for, oldest first.
    std::vector<int> RequestedPages() const
    {
        std::vector<int> pages;
        for (const auto& frame : panel.Panel().ReceivedFrames()) {
            if (frame.command == kStatusRequest && frame.payload.size() == 1) pages.push_back(frame.payload[0]);
        }
        return pages;
    }

    ToolHarness tool;
    PanelHost& panel;
    TFormDebug& window;
};

}  // namespace

class DiagnosticsTest : public QObject {
    Q_OBJECT
private slots:
    void windowPollsFromStartAndOpensFromTheMenu();
    void fillsFromLivingPagesShownOrNot();
    void armsOnlyWithTheRightCode();
    void logsWhilePollingAndReadsBack();
    void logChoiceRules();
    void aFailedLogWriteStopsLoggingWithOneMessage();
    void theDemoPanelFillsTheWindow();
};

void DiagnosticsTest::theDemoPanelFillsTheWindow()
{
    ToolHarness tool;
    tool.Start({.demo = true});
    QTRY_VERIFY_WITH_TIMEOUT(tool.Session().IsEquipmentConnected(), 3000);
    TFormDebug& window = tool.App().DiagnosticWindow();
    // The window's own timer polls; its first answer fills the first tab,
    // with the panel's clock running from the computer's.
    auto* timestamp = window.findChild<QLabel*>(QStringLiteral("LabelStatusAba1_12"));
    QTRY_VERIFY_WITH_TIMEOUT(timestamp->text().contains(QStringLiteral(" de Dezembro de 2026  -  ")), 3000);
    QCOMPARE(window.findChild<QLabel*>(QStringLiteral("LabelStatusAba1_3"))->text(), QStringLiteral("2024011501"));
}

void DiagnosticsTest::windowPollsFromStartAndOpensFromTheMenu()
{
    Diagnostics d;
    auto* timer = d.window.findChild<QTimer*>(QStringLiteral("TimerPolling"));
    QCOMPARE(timer->interval(), 250);
    QCOMPARE(d.window.windowTitle(), QStringLiteral("Debug"));

    auto* tabs = d.Find<QTabWidget>("PageControlDebug");
    const QStringList captions{"Central alarme", "Modem", "Wifi", "Fila", "Sensores e atuadores", "Ibutton",
                               "Temperatura", "Dados erbs", "Consumo de dados", "Jammer", "Atualização remota",
                               "RF", "Backup celular", "Partições teclado"};
    QCOMPARE(tabs->count(), captions.size());
    for (int i = 0; i < tabs->count(); ++i) QCOMPARE(tabs->tabText(i), captions[i]);
    QCOMPARE(tabs->currentIndex(), 0);
    QVERIFY(!d.Find<QAction>("Informaes1")->isVisible());

    // A tab with nothing to show sends nothing.
    tabs->setCurrentIndex(4);
    const std::size_t before = d.panel.Panel().CommandCount(kStatusRequest);
    d.window.TimerPollingTimer();
    DrainEvents();
    QCOMPARE(d.panel.Panel().CommandCount(kStatusRequest), before);

    d.tool.Trigger("Debug1");
    QCOMPARE(d.tool.dialogs.WindowsShown(), QStringList{QStringLiteral("FormDebug")});
    QVERIFY(d.window.isVisible());
    d.Find<QAction>("Sair1")->trigger();
    QVERIFY(!d.window.isVisible());
}

void DiagnosticsTest::fillsFromLivingPagesShownOrNot()
{
    Diagnostics d;
    d.panel.Panel().ClearReceived();
    QVERIFY(!d.window.isVisible());

    // Tab 0 at start: page 1, then 16, filling the hidden labels.
    QVERIFY(d.Poll());
    QCOMPARE(d.Text("LabelStatusAba1_1"), QStringLiteral("QV-CENTRAL 6"));
    QCOMPARE(d.Text("LabelStatusAba1_2"), QStringLiteral("V1.02 - (oficial)"));
    QCOMPARE(d.Text("LabelStatusAba1_3"), QStringLiteral("2024011501"));
    QCOMPARE(d.Text("LabelStatusAba1_5"), QStringLiteral("Desarmada"));
    QCOMPARE(d.Text("LabelStatusAba1_6"), QStringLiteral("Não violada"));
    QCOMPARE(d.Find<QLabel>("LabelStatusAba1_6")->palette().color(QPalette::WindowText), QColor(0, 128, 0));
    QCOMPARE(d.window.StatusSerial(), 2024011501u);
    QVERIFY(d.Poll());
    QCOMPARE(d.Text("LabelStatusAba1_4"), QStringLiteral("12"));

    // The modem tab restarts its cycle at 5.
    d.Find<QTabWidget>("PageControlDebug")->setCurrentIndex(1);
    for (int i = 0; i < 4; ++i) QVERIFY(d.Poll());
    QCOMPARE(d.RequestedPages(), (std::vector<int>{1, 16, 5, 8, 1, 5}));
    QCOMPARE(d.Text("LabelStatusAba2_20"), QStringLiteral("356938035643809"));
    QCOMPARE(d.Text("LabelStatusAba2_1"), QStringLiteral("EM GPRS"));
    QCOMPARE(d.Text("LabelStatusAba2_8"), QStringLiteral("Registrado"));
    QCOMPARE(d.Text("LabelStatusAba2_22"), QStringLiteral("010.064.012.007"));
    int shown = 0;
    for (const char* picture : {"ImageSemSinal", "ImageSinal1", "ImageSinal2", "ImageSinal3", "ImageSinal4", "ImageSinal5"}) {
        if (!d.Find<QWidget>(picture)->isHidden()) ++shown;
    }
    QCOMPARE(shown, 1);

    // The backup tab and the temperatures: their own pages.
    d.Find<QTabWidget>("PageControlDebug")->setCurrentIndex(12);
    for (int i = 0; i < 3; ++i) QVERIFY(d.Poll());
    QCOMPARE(d.Text("LabelStatusAba12_3"), QStringLiteral("SISTEMA PRONTO"));
    QCOMPARE(d.Text("LabelStatusAba12_6"), QStringLiteral("Desarmada"));
    QCOMPARE(d.Text("LabelStatusAba12_9"), QStringLiteral("1234 18 1401 01 001"));
    d.Find<QTabWidget>("PageControlDebug")->setCurrentIndex(6);
    QVERIFY(d.Poll());
    QCOMPARE(d.Text("LabelStatusAba7_5"), QStringLiteral("Defeito no sensor"));
    QCOMPARE(d.Text("LabelStatusAba7_7"), QStringLiteral("Não habilitado"));
    QVERIFY(d.Text("LabelStatusAba7_1").endsWith(QStringLiteral(" ºC")));

    // Showing the window forgets the live values but keeps the slow ones.
    d.window.show();
    QCOMPARE(d.Text("LabelStatusAba1_3"), QStringLiteral("Sem informação"));
    QCOMPARE(d.Text("LabelStatusAba2_1"), QStringLiteral("Sem informação"));
    QCOMPARE(d.Text("LabelStatusAba7_5"), QStringLiteral("Sem informação"));
    QCOMPARE(d.Text("LabelStatusAba2_20"), QStringLiteral("356938035643809"));
    QVERIFY(d.Text("LabelStatusAba1_12").endsWith(QStringLiteral("GMT\n")));
    QCOMPARE(d.Find<QLabel>("LabelStatusAba1_6")->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    for (const char* picture : {"ImageSinal1", "ImageSinal2", "ImageSinal3", "ImageSinal4", "ImageSinal5"}) {
        QVERIFY2(d.Find<QWidget>(picture)->isHidden(), picture);
    }
    QVERIFY(d.Poll());
    QVERIFY(d.Text("LabelStatusAba7_1").endsWith(QStringLiteral(" ºC")));
    d.window.close();
}

void DiagnosticsTest::armsOnlyWithTheRightCode()
{
    Diagnostics d;
    QCOMPARE(d.Find<QLineEdit>("Edit1")->text(), QStringLiteral("1234"));
    QVERIFY(d.Find<QRadioButton>("CheckParticao1")->isChecked());
    d.Find<QRadioButton>("CheckParticao2")->setChecked(true);
    d.Find<QPushButton>("Button1")->click();
    QVERIFY(d.tool.WaitForStatus(kWritten));
    QVERIFY(d.panel.Panel().Status().PartitionArmed(2));
    QCOMPARE(d.panel.Panel().ReceivedFrames().back().payload, (std::vector<std::uint8_t>{0x04, 0xD2, 2}));

    d.tool.StatusLine()->clear();
    d.Find<QLineEdit>("Edit1")->setText(QStringLiteral("4321"));
    d.Find<QPushButton>("Button2")->click();
    QVERIFY(d.tool.WaitForStatus(QStringLiteral("ERRO AO GRAVAR OS DADOS")));
    QVERIFY(d.panel.Panel().Status().PartitionArmed(2));

    // Not a whole number: the conversion report, and nothing on the wire.
    d.Find<QLineEdit>("Edit1")->setText(QStringLiteral("12a4"));
    d.Find<QPushButton>("Button2")->click();
    DrainEvents();
    QCOMPARE(d.tool.dialogs.Texts(), QStringList{QStringLiteral("'12a4' is not a valid integer value")});
    QCOMPARE(d.panel.Panel().CommandCount(kDisarm), std::size_t{1});
    QCOMPARE(d.panel.Panel().CommandCount(kArm), std::size_t{1});

    d.Find<QLineEdit>("Edit1")->setText(QStringLiteral("$4D2"));  // 1234 in hexadecimal
    d.Find<QPushButton>("Button2")->click();
    QVERIFY(d.tool.WaitForStatus(kWritten));
    QVERIFY(!d.panel.Panel().Status().AnyPartitionArmed());
}

void DiagnosticsTest::logsWhilePollingAndReadsBack()
{
    Diagnostics d;
    QTemporaryDir dir;
    auto* box = d.Find<QCheckBox>("CheckBoxLog");

    // Before any status frame there is no serial to name the file by.
    box->click();
    QVERIFY(box->isChecked());
    QVERIFY(!d.window.LogEnabled());
    QVERIFY(d.tool.dialogs.Boxes().empty());
    box->click();

    QVERIFY(d.Poll());
    const QString typed = dir.filePath(QStringLiteral("meu_log"));
    d.tool.dialogs.saveAnswers.push_back(typed);
    box->click();
    QCOMPARE(d.tool.dialogs.Boxes().size(), std::size_t{1});
    QCOMPARE(d.tool.dialogs.Boxes()[0].kind, QStringLiteral("Salvar"));
    QCOMPARE(d.tool.dialogs.Boxes()[0].text, QStringLiteral("LogCentralAlarme_2024011501_10122026_040506"));
    QVERIFY(d.window.LogEnabled());
    QCOMPARE(d.window.LogFilePath(), typed + QStringLiteral(".bin"));
    QCOMPARE(d.Find<QLabel>("NomeArq")->text(), QStringLiteral("meu_log.bin"));
    QCOMPARE(d.window.LastPageRequested(), std::uint8_t{1});

    for (int i = 0; i < 3; ++i) QVERIFY(d.Poll());
    box->click();  // off: nothing more is written
    QVERIFY(!d.window.LogEnabled());
    QVERIFY(d.Poll());

    std::ifstream in(d.window.LogFilePath().toStdString(), std::ios::binary);
    DiagnosticLogReader reader(in);
    std::vector<LogRecord> records;
    while (auto record = reader.Next()) records.push_back(*record);
    QCOMPARE(QString::fromStdString(reader.Problem()), QString());
    QCOMPARE(records.size(), std::size_t{3});
    const std::vector<int> pages{16, 1, 16};
    for (std::size_t i = 0; i < records.size(); ++i) {
        QCOMPARE(records[i].receivedMs, d.tool.clock.now.toMSecsSinceEpoch());
        QCOMPARE(int{records[i].payload.at(0)}, pages[i]);
        QCOMPARE(records[i].payload.size(), std::size_t{pages[i] == 1 ? 29u : 45u});
    }
    QVERIFY(QString::fromStdString(LogCsvLine(records[1])).contains(QStringLiteral(",29,1,51,0x12,2024011501,")));
}

void DiagnosticsTest::logChoiceRules()
{
    Diagnostics d;
    QTemporaryDir dir;
    auto* box = d.Find<QCheckBox>("CheckBoxLog");
    QVERIFY(d.Poll());

    // A name typed with ".bin" keeps one.
    d.tool.dialogs.saveAnswers.push_back(dir.filePath(QStringLiteral("a.bin")));
    box->click();
    QCOMPARE(d.window.LogFilePath(), dir.filePath(QStringLiteral("a.bin")));
    QCOMPARE(d.Find<QLabel>("NomeArq")->text(), QStringLiteral("a.bin"));

    // Cancelling leaves everything as it was, the tick included.
    box->click();
    box->click();
    QVERIFY(box->isChecked());
    QVERIFY(!d.window.LogEnabled());
    QCOMPARE(d.Find<QLabel>("NomeArq")->text(), QStringLiteral("a.bin"));

    // A file that is not a log is never written into.
    const QString foreign = dir.filePath(QStringLiteral("notes.bin"));
    {
        std::ofstream(foreign.toStdString()) << "keep me";
    }
    box->click();
    d.tool.dialogs.Clear();
    d.tool.dialogs.saveAnswers.push_back(foreign);
    box->click();
    QVERIFY(!d.window.LogEnabled());
    QVERIFY(!box->isChecked());
    QCOMPARE(d.tool.dialogs.Boxes().size(), std::size_t{2});
    QCOMPARE(d.tool.dialogs.Boxes()[1].kind, QStringLiteral("Erro"));
    std::ifstream in(foreign.toStdString());
    QCOMPARE(QString::fromStdString(std::string(std::istreambuf_iterator<char>(in), {})), QStringLiteral("keep me"));

    // A file that cannot be created: one message, logging off.
    d.tool.dialogs.Clear();
    d.tool.dialogs.saveAnswers.push_back(dir.filePath(QStringLiteral("no_such_folder/log")));
    box->click();
    QVERIFY(!d.window.LogEnabled());
    QCOMPARE(d.tool.dialogs.Boxes().size(), std::size_t{2});
    QVERIFY(d.tool.dialogs.Boxes()[1].text.startsWith(QStringLiteral("Não foi possível criar o arquivo de log")));
}

void DiagnosticsTest::aFailedLogWriteStopsLoggingWithOneMessage()
{
    Diagnostics d;
    QTemporaryDir dir;
    QVERIFY(d.Poll());
    d.tool.dialogs.saveAnswers.push_back(dir.filePath(QStringLiteral("log")));
    auto* box = d.Find<QCheckBox>("CheckBoxLog");
    box->click();
    QVERIFY(d.window.LogEnabled());
    d.tool.dialogs.Clear();
    {
        // Room for the header and one page-16 record, not for the page-1 record after it.
        FileSizeLimit limit(kLogHeaderSize + kLogRecordHeaderSize + 45 + 10);
        for (int i = 0; i < 4; ++i) QVERIFY(d.Poll());
    }
    DrainEvents();
    QVERIFY(!d.window.LogEnabled());
    QVERIFY(!box->isChecked());
    QCOMPARE(d.tool.dialogs.Boxes().size(), std::size_t{1});
    QCOMPARE(d.tool.dialogs.Boxes()[0].kind, QStringLiteral("Erro"));
    QVERIFY(d.tool.dialogs.Boxes()[0].text.contains(QStringLiteral("os dados já gravados foram mantidos")));

    std::ifstream in(d.window.LogFilePath().toStdString(), std::ios::binary);
    DiagnosticLogReader reader(in);
    std::size_t records = 0;
    while (reader.Next()) ++records;
    QCOMPARE(QString::fromStdString(reader.Problem()), QString());
    QCOMPARE(records, std::size_t{1});
}

QTEST_MAIN(DiagnosticsTest)
#include "diagnostics_test.moc"
