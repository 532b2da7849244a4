// Tab "Sensores RF" and the enrolment window against a software panel:
// records read, edited and written back byte-exact, block 3 in the form the
// model answers, deleting every record, and a whole enrolment with a sensor
// triggered on the panel.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include "core/link/commands.h"
#include "support/tool_harness.h"
#include "ui/common/messages.h"
#include "ui/main/form_principal.h"
#include "ui/pages/rf_sensors_page.h"
#include "ui/rf/form_cadastro.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
const std::uint8_t kRfSensor = CommandByte(CommandCode::RfSensorCommand);
const std::uint8_t kRfLearn = CommandByte(CommandCode::RfLearnCommand);
const QString kRecordShown = QStringLiteral("CONFIGURAÇÃO SENSOR RF CADASTRADO");
const QString kRadioShown = QStringLiteral("CONFIGURAÇÃO COMUNICAÇÃO RF");
const QString kOutOfRange = messages::ValueOutOfRange();
enum { kRecords = 0, kEnrol = 1, kDelete = 2, kRadio = 3 };

// Controls of the tab only: the enrolment window has combo boxes of the same names.
RfSensorsPage* Page(ToolHarness& tool) { return tool.Find<RfSensorsPage>("TabSheet8"); }
template <typename T>
T* OnTab(ToolHarness& tool, const QString& name)
{
    T* control = Page(tool)->findChild<T*>(name);
    if (!control) QTest::qFail(qPrintable(QStringLiteral("no control %1").arg(name)), __FILE__, __LINE__);
    return control;
}
QLineEdit* Edit(ToolHarness& tool, const char* name) { return OnTab<QLineEdit>(tool, QString::fromLatin1(name)); }
QRadioButton* Radio(ToolHarness& tool, const char* name) { return OnTab<QRadioButton>(tool, QString::fromLatin1(name)); }
QComboBox* Button(ToolHarness& tool, int n) { return OnTab<QComboBox>(tool, QStringLiteral("ConfigBotao%1").arg(n)); }
void ShowSubPage(ToolHarness& tool, int index) { OnTab<QTabWidget>(tool, "PageControlSensorRF")->setCurrentIndex(index); }

Bytes Record(const sim::RfRecord& record) { return Bytes(record.begin(), record.end()); }

// Reads record number `number` on sub-page 0 and waits for it to be shown.
bool ReadRecord(ToolHarness& tool, const QString& number)
{
    tool.StatusLine()->clear();
    Edit(tool, "CfgNumeroSensorRF")->setText(number);
    tool.Click("BtnLer8");
    return tool.WaitForStatus(kRecordShown);
}

QColor LabelTextColour(const QLabel* label) { return label->palette().color(QPalette::WindowText); }

}  // namespace

class RfSensorsTest : public QObject {
    Q_OBJECT
private slots:
    void recordIsReadEditedAndWrittenBack();
    void recordFieldsAreCheckedBeforeSending();
    void recordAnswersTheToolCannotShow();
    void radioBlockTakesTheModelsForm_data();
    void radioBlockTakesTheModelsForm();
    void deleteAllAsksFirst();
    void enrolmentWindowOpensOnlyWithThePortOpen();
    void wholeEnrolmentStoresTheRecord();
};

void RfSensorsTest::recordIsReadEditedAndWrittenBack()
{
    ToolHarness tool;
    PanelHost& panel = tool.StartConnected({.model = 56});
    ShowSubPage(tool, kRecords);

    // The factory's key fob: serial 654321, buttons 2, 1, 3 stored as 1, 0, 3.
    QVERIFY(ReadRecord(tool, QStringLiteral("2")));
    QCOMPARE(panel.Panel().ReceivedFrames().back().payload, (Bytes{2, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    QCOMPARE(Edit(tool, "CfgSerialSensorRF")->text(), QStringLiteral("654321"));
    QVERIFY(Radio(tool, "CfgTipoSensorRF3")->isChecked());
    QCOMPARE(Button(tool, 1)->currentIndex(), 0);
    QCOMPARE(Button(tool, 2)->currentIndex(), 1);
    QCOMPARE(Button(tool, 3)->currentIndex(), 3);
    QCOMPARE(Edit(tool, "CfgZonaSensorRF")->text(), QStringLiteral("6"));
    QCOMPARE(Edit(tool, "CfgUsuarioSensorRF")->text(), QStringLiteral("2"));
    QVERIFY(!Edit(tool, "CfgSerialSensorRF")->isEnabled());

    tool.Click("BtnEditar8");
    QVERIFY(Button(tool, 1)->isEnabled());
    Button(tool, 1)->setCurrentIndex(13);  // "DESABILITADO"
    Edit(tool, "CfgZonaSensorRF")->setText(QStringLiteral("65535"));
    Edit(tool, "CfgUsuarioSensorRF")->clear();  // user 1
    tool.Click("BtnGravar8");
    QVERIFY(tool.WaitForStatus(kWritten));
    QVERIFY(!tool.InEditState(8));
    QVERIFY(!Edit(tool, "CfgZonaSensorRF")->isEnabled());
    QCOMPARE(Record(panel.Panel().Rf().Record(1)),
             (Bytes{0x09, 0xFB, 0xF1, 3, 255, 1, 255, 3, 0xFF, 0xFF, 0x00, 0x01, 255, 255, 255, 255}));

    // Cleared, then read back equal; the number is kept.
    tool.Click("BtnLimpar8");
    QVERIFY(Edit(tool, "CfgSerialSensorRF")->text().isEmpty());
    QCOMPARE(Edit(tool, "CfgNumeroSensorRF")->text(), QStringLiteral("2"));
    QVERIFY(ReadRecord(tool, QStringLiteral("2")));
    QCOMPARE(Edit(tool, "CfgSerialSensorRF")->text(), QStringLiteral("654321"));
    QCOMPARE(Button(tool, 1)->currentText(), QStringLiteral("DESABILITADO"));
    QCOMPARE(Edit(tool, "CfgZonaSensorRF")->text(), QStringLiteral("65535"));
    QCOMPARE(Edit(tool, "CfgUsuarioSensorRF")->text(), QStringLiteral("1"));

    // A PIR sensor goes with 255 in offsets 4 to 7 whatever the combo boxes show.
    tool.Click("BtnEditar8");
    Radio(tool, "CfgTipoSensorRF1")->setChecked(true);
    tool.Click("BtnGravar8");
    QVERIFY(WaitForCommand(panel.Panel(), kRfSensor, 4));
    QCOMPARE(panel.Panel().ReceivedFrames().back().payload,
             (Bytes{1, 0x09, 0xFB, 0xF1, 1, 255, 255, 255, 255, 0xFF, 0xFF, 0x00, 0x01, 255, 255, 255, 255}));
}

void RfSensorsTest::recordFieldsAreCheckedBeforeSending()
{
    ToolHarness tool;
    PanelHost& panel = tool.StartConnected({.model = 51});
    ShowSubPage(tool, kRecords);
    auto sent = [&] { return panel.Panel().CommandCount(kRfSensor); };

    for (const char* number : {"0", "2049", "-1"}) {
        Edit(tool, "CfgNumeroSensorRF")->setText(QString::fromLatin1(number));
        tool.Click("BtnLer8");
        QCOMPARE(tool.dialogs.Texts(), QStringList{kOutOfRange});
        tool.dialogs.Clear();
    }
    DrainEvents();
    QCOMPARE(sent(), 0u);
    QVERIFY(ReadRecord(tool, QStringLiteral("1")));
    tool.Click("BtnEditar8");
    // Typing stops at seven characters.
    Edit(tool, "CfgSerialSensorRF")->clear();
    QTest::keyClicks(Edit(tool, "CfgSerialSensorRF"), QStringLiteral("41943039"));
    QCOMPARE(Edit(tool, "CfgSerialSensorRF")->text(), QStringLiteral("4194303"));
    struct Case {
        const char* serial;
        const char* zone;
        QString box;
    };
    for (const Case& c : {Case{"4194304", "5", kOutOfRange}, Case{"0", "5", kOutOfRange},
                          Case{"4194303", "4", kOutOfRange}, Case{"12x", "5", "'12x' is not a valid integer value"}}) {
        Edit(tool, "CfgSerialSensorRF")->setText(QString::fromLatin1(c.serial));
        Edit(tool, "CfgZonaSensorRF")->setText(QString::fromLatin1(c.zone));
        tool.Click("BtnGravar8");
        QCOMPARE(tool.dialogs.Texts(), QStringList{c.box});
        QVERIFY(tool.InEditState(8));
        tool.dialogs.Clear();
    }
    // No kind checked: refused, nothing sent, still in edit state.
    Edit(tool, "CfgSerialSensorRF")->setText(QStringLiteral("4194303"));
    Edit(tool, "CfgZonaSensorRF")->setText(QStringLiteral("5"));
    tool.Click("BtnLimpar8");
    Edit(tool, "CfgSerialSensorRF")->setText(QStringLiteral("77"));
    Edit(tool, "CfgZonaSensorRF")->setText(QStringLiteral("5"));
    tool.Click("BtnGravar8");
    QCOMPARE(tool.dialogs.Boxes().size(), 1u);
    QCOMPARE(tool.dialogs.Boxes()[0].kind, QStringLiteral("Erro"));
    QCOMPARE(tool.dialogs.Boxes()[0].text, QStringLiteral("Nenhum tipo de sensor selecionado"));
    QVERIFY(tool.InEditState(8));
    tool.dialogs.Clear();
    // A bad user is found after the switch to view state: nothing is sent.
    Radio(tool, "CfgTipoSensorRF2")->setChecked(true);
    Edit(tool, "CfgUsuarioSensorRF")->setText(QStringLiteral("um"));
    tool.Click("BtnGravar8");
    QCOMPARE(tool.dialogs.Texts(), QStringList{QStringLiteral("'um' is not a valid integer value")});
    QVERIFY(!tool.InEditState(8));
    DrainEvents();
    QCOMPARE(sent(), 1u);  // the one read
}

void RfSensorsTest::recordAnswersTheToolCannotShow()
{
    ToolHarness tool;
    PanelHost& panel = tool.StartConnected({.model = 56});
    ShowSubPage(tool, kRecords);
    QVERIFY(ReadRecord(tool, QStringLiteral("1")));
    QVERIFY(Radio(tool, "CfgTipoSensorRF1")->isChecked());

    // Serial 0, one past 4194303, and a free slot (0xFFFFFF): "Inválido" and nothing else.
    panel.Panel().Rf().SetRecord(3, {0x00, 0x00, 0x00, 1, 255, 255, 255, 255, 0, 5, 0, 1, 255, 255, 255, 255});
    panel.Panel().Rf().SetRecord(4, {0x40, 0x00, 0x00, 1, 255, 255, 255, 255, 0, 5, 0, 1, 255, 255, 255, 255});
    for (const char* number : {"4", "5", "2048"}) {
        QVERIFY(ReadRecord(tool, QStringLiteral("1")));
        QVERIFY(ReadRecord(tool, QString::fromLatin1(number)));
        QCOMPARE(Edit(tool, "CfgSerialSensorRF")->text(), QStringLiteral("Inválido"));
        QVERIFY(!Radio(tool, "CfgTipoSensorRF1")->isChecked());
        QVERIFY(Edit(tool, "CfgZonaSensorRF")->text().isEmpty());
        QVERIFY(Edit(tool, "CfgUsuarioSensorRF")->text().isEmpty());
    }

    // A kind the tool does not know leaves the kind buttons unchecked; a
    // button byte past the list shows "DESABILITADO".
    sim::RfRecord odd = {0, 0, 9, 7, 255, 200, 13, 254, 0, 5, 0, 1, 255, 255, 255, 255};
    panel.Panel().Rf().SetRecord(9, odd);
    QVERIFY(ReadRecord(tool, QStringLiteral("10")));
    QCOMPARE(Edit(tool, "CfgSerialSensorRF")->text(), QStringLiteral("9"));
    for (const char* kind : {"CfgTipoSensorRF1", "CfgTipoSensorRF2", "CfgTipoSensorRF3"}) {
        QVERIFY(!Radio(tool, kind)->isChecked());
    }
    QCOMPARE(Button(tool, 1)->currentIndex(), -1);
    odd[3] = 3;
    panel.Panel().Rf().SetRecord(9, odd);
    QVERIFY(ReadRecord(tool, QStringLiteral("10")));
    for (int n : {1, 2, 3}) QCOMPARE(Button(tool, n)->currentIndex(), 13);

    // A record of the wrong length leaves its length as the status text.
    emit tool.Session().RfRecordReceived(Bytes(15, 1));
    QCOMPARE(tool.StatusLine()->text(), QStringLiteral("15"));
    QCOMPARE(Edit(tool, "CfgSerialSensorRF")->text(), QStringLiteral("9"));
}

void RfSensorsTest::radioBlockTakesTheModelsForm_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<bool>("crystal");
    QTest::addColumn<QByteArray>("written");
    QTest::newRow("56, long form") << 56 << true << QByteArray("\x03\x1A\x03\x2B", 4);
    QTest::newRow("51, short form") << 51 << false << QByteArray("\x03\x1A\x03", 3);
}

void RfSensorsTest::radioBlockTakesTheModelsForm()
{
    QFETCH(int, model);
    QFETCH(bool, crystal);
    QFETCH(QByteArray, written);
    ToolHarness tool;
    PanelHost& panel = tool.StartConnected({.model = static_cast<std::uint8_t>(model)});
    ShowSubPage(tool, kRadio);
    QVERIFY(OnTab<QLabel>(tool, "Label53")->isHidden());

    // Before any answer a write sends nothing.
    tool.Click("BtnEditar8");
    Radio(tool, "CfgModulacaoRF2")->setChecked(true);
    tool.Click("BtnGravar8");
    QVERIFY(!tool.InEditState(8));
    QCOMPARE(Page(tool)->RfConfigForm(), RfBlockForm::None);

    tool.Click("BtnLer8");
    QVERIFY(tool.WaitForStatus(kRadioShown));
    QCOMPARE(!OnTab<QLabel>(tool, "Label53")->isHidden(), crystal);
    QCOMPARE(!Radio(tool, "CfgModulacaoRF3")->isHidden(), crystal);
    QCOMPARE(!Radio(tool, "CfgModulacaoRF4")->isHidden(), crystal);
    QVERIFY(Radio(tool, "CfgModulacaoRF1")->isChecked());  // factory OOK
    QCOMPARE(Radio(tool, "CfgModulacaoRF3")->isChecked(), crystal);  // factory 30 MHz on the long form

    tool.Click("BtnEditar8");
    QVERIFY(Radio(tool, "CfgModulacaoRF4")->isEnabled());  // enabled even while hidden
    Radio(tool, "CfgModulacaoRF2")->setChecked(true);
    Radio(tool, "CfgModulacaoRF4")->setChecked(true);
    tool.StatusLine()->clear();
    tool.Click("BtnGravar8");
    QVERIFY(tool.WaitForStatus(kWritten));
    QCOMPARE(panel.Panel().CommandCount(kWrite), 1u);
    const Bytes block(written.begin(), written.end());
    QCOMPARE(panel.Panel().Block(3), std::optional<Bytes>(block));
}

void RfSensorsTest::deleteAllAsksFirst()
{
    ToolHarness tool;
    PanelHost& panel = tool.StartConnected({.model = 56});
    ShowSubPage(tool, kDelete);
    tool.StatusLine()->setText(QStringLiteral("antes"));

    tool.dialogs.answers = {false};
    tool.Click("Button2");
    QCOMPARE(tool.dialogs.Boxes().size(), 1u);
    QCOMPARE(tool.dialogs.Boxes()[0].kind, QStringLiteral("Comando"));
    QCOMPARE(tool.dialogs.Boxes()[0].text, QStringLiteral("Deseja apagar todos os sensores RF cadastrados?"));
    DrainEvents();
    QCOMPARE(panel.Panel().CommandCount(kRfSensor), 0u);
    QCOMPARE(tool.StatusLine()->text(), QStringLiteral("antes"));

    tool.dialogs.answers = {true};
    tool.Click("Button2");
    QVERIFY(WaitForCommand(panel.Panel(), kRfSensor, 1));
    Bytes deleteAll(17, 0);
    deleteAll[0] = 6;
    QCOMPARE(panel.Panel().ReceivedFrames().back().payload, deleteAll);
    QVERIFY(QTest::qWaitFor([&] { return panel.Panel().Rf().EnrolledCount() == 0; }, 3000));
    QVERIFY(tool.StatusLine()->text().isEmpty());

    // "Apagar um ID" has no action.
    tool.Click("Button1");
    DrainEvents();
    QCOMPARE(panel.Panel().CommandCount(kRfSensor), 1u);
    QCOMPARE(tool.dialogs.Boxes().size(), 2u);
}

void RfSensorsTest::enrolmentWindowOpensOnlyWithThePortOpen()
{
    ToolHarness tool;
    tool.StartConnected({.model = 51});
    ShowSubPage(tool, kEnrol);
    // Edit state on a sub-page with nothing to edit; a write does nothing.
    tool.Click("BtnEditar8");
    QVERIFY(tool.InEditState(8));
    tool.Click("BtnGravar8");
    QVERIFY(tool.InEditState(8));
    ShowSubPage(tool, kRecords);
    QVERIFY(!tool.InEditState(8));
    ShowSubPage(tool, kEnrol);

    tool.Trigger("MenuSerialFechar");
    tool.Click("BtnCadastrarSensorRF");
    QVERIFY(tool.dialogs.WindowsShown().isEmpty());
    QVERIFY(tool.dialogs.Boxes().empty());

    QVERIFY(tool.OpenPort());
    tool.Click("BtnCadastrarSensorRF");
    QCOMPARE(tool.dialogs.WindowsShown(), QStringList{QStringLiteral("FormCadastro")});
    QVERIFY(tool.App().EnrolmentWindow().isVisible());
}

void RfSensorsTest::wholeEnrolmentStoresTheRecord()
{
    ToolHarness tool;
    PanelHost& panel = tool.StartConnected({.model = 56});
    ShowSubPage(tool, kEnrol);
    tool.Click("BtnCadastrarSensorRF");
    TFormCadastro& form = tool.App().EnrolmentWindow();
    QVERIFY(form.isVisible());
    auto control = [&form](const char* name) { return form.findChild<QWidget*>(QString::fromLatin1(name)); };
    auto* status = form.findChild<QLabel*>("LabelSts");
    auto* timer = form.findChild<QTimer*>("TimerProcesso");
    QCOMPARE(timer->interval(), 500);
    QVERIFY(qobject_cast<QRadioButton*>(control("TipoSensorPresenca"))->isChecked());
    QVERIFY(!control("ConfigBotao1")->isEnabled());
    QVERIFY(!control("BtnParar")->isEnabled());

    qobject_cast<QRadioButton*>(control("TipoSensorChaveiro"))->click();
    QVERIFY(control("ConfigBotao1")->isEnabled());
    qobject_cast<QComboBox*>(control("ConfigBotao1"))->setCurrentIndex(2);
    qobject_cast<QComboBox*>(control("ConfigBotao2"))->setCurrentIndex(10);
    qobject_cast<QLineEdit*>(control("ConfigZona"))->setText(QStringLiteral("12"));
    qobject_cast<QLineEdit*>(control("ConfigUsuario"))->setText(QStringLiteral("3"));

    qobject_cast<QPushButton*>(control("BtnIniciar"))->click();
    timer->stop();  // the test ticks by hand
    QCOMPARE(status->text(), QStringLiteral("Iniciando o processo de cadastro"));
    QVERIFY(!control("BtnIniciar")->isEnabled());
    QVERIFY(!control("ConfigZona")->isEnabled());

    // One tick, then wait for the panel's answer to reach the window.
    auto tickAfterAnswer = [&] {
        return QTest::qWaitFor([&] { return form.Machine().AckPending(); }, 3000);
    };
    form.TimerProcessoTimer();
    QVERIFY(WaitForCommand(panel.Panel(), kRfLearn, 1));
    QVERIFY(tickAfterAnswer());
    QVERIFY(panel.Panel().Rf().Listening());
    form.TimerProcessoTimer();
    QCOMPARE(status->text(), QStringLiteral("Acione o sensor que deseja cadastrar"));

    // Closing is refused while the process runs, by "Sair" and the close box.
    qobject_cast<QPushButton*>(control("BtnSair"))->click();
    QVERIFY(form.isVisible());
    form.close();
    QVERIFY(form.isVisible());

    const std::uint32_t serial = 0x4D2A1;
    QVERIFY(panel.TriggerRfSensor(serial << 4 | 0x3));
    QVERIFY(tickAfterAnswer());
    form.TimerProcessoTimer();
    QCOMPARE(status->text(), QStringLiteral("Sensor lido, acione novamente o mesmo sensor que deseja cadastrar"));
    QVERIFY(panel.TriggerRfSensor(serial << 4 | 0xB));
    QVERIFY(tickAfterAnswer());
    form.TimerProcessoTimer();
    form.TimerProcessoTimer();
    QCOMPARE(status->text(), QStringLiteral("Serial lido: %1").arg(serial));
    QCOMPARE(LabelTextColour(status), QColor(0, 0, 255));

    form.TimerProcessoTimer();
    QVERIFY(WaitForCommand(panel.Panel(), kRfSensor, 1));
    QVERIFY(tickAfterAnswer());
    form.TimerProcessoTimer();
    QCOMPARE(status->text(), QStringLiteral("Cadastro efetuado com sucesso"));
    QCOMPARE(LabelTextColour(status), QColor(0, 128, 0));
    QVERIFY(control("BtnIniciar")->isEnabled());
    QVERIFY(!control("BtnParar")->isEnabled());
    QVERIFY(control("ConfigZona")->isEnabled());
    QVERIFY(!timer->isActive());

    // The record went to the first free slot, and listening stopped.
    QVERIFY(WaitForCommand(panel.Panel(), kRfLearn, 2));
    QVERIFY(QTest::qWaitFor([&] { return !panel.Panel().Rf().Listening(); }, 3000));
    QCOMPARE(Record(panel.Panel().Rf().Record(2)),
             (Bytes{0x04, 0xD2, 0xA1, 3, 255, 10, 2, 255, 0x00, 0x0C, 0x00, 0x03, 255, 255, 255, 255}));

    qobject_cast<QPushButton*>(control("BtnSair"))->click();
    QVERIFY(!form.isVisible());
}

QTEST_MAIN(RfSensorsTest)
#include "rf_sensors_test.moc"
