// Tab "Atuadores" against a software panel: one block per sub-page, edit
// state that belongs to the tab, the siren's range check and the output
// type fields that follow the identified model.

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <functional>

#include "core/link/commands.h"
#include "support/tool_harness.h"
#include "ui/main/form_principal.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
const char* const kSirenEdits[] = {"TempoRetardoSirene", "TempoAtivacaoSirene", "TempoRepousoSirene",
                                   "NumeroRepeticaoSirene"};

QComboBox* Type(ToolHarness& tool, int output) { return tool.Find<QComboBox>(QStringLiteral("TipoAtuador%1").arg(output)); }
QRadioButton* Radio(ToolHarness& tool, const char* name) { return tool.Find<QRadioButton>(QString::fromLatin1(name)); }
QLineEdit* Edit(ToolHarness& tool, const char* name) { return tool.Find<QLineEdit>(QString::fromLatin1(name)); }

void ShowSubPage(ToolHarness& tool, int index) { tool.Find<QTabWidget>("PageControlAtuadores")->setCurrentIndex(index); }

// Edit, change, write the showing sub-page and wait for the panel's acknowledgement.
bool WriteShowing(ToolHarness& tool, const std::function<void()>& change)
{
    tool.StatusLine()->clear();
    tool.Click("BtnEditar6");
    change();
    tool.Click("BtnGravar6");
    return tool.WaitForStatus(kWritten);
}

// Clear the showing sub-page, then read its block back.
bool ClearAndReadBack(ToolHarness& tool, const QString& title)
{
    tool.Click("BtnLimpar6");
    tool.Click("BtnLer6");
    return tool.WaitForStatus(title);
}

}  // namespace

class ActuatorPageTest : public QObject {
    Q_OBJECT
private slots:
    void eachSubPageWritesAndReadsBack_data();
    void eachSubPageWritesAndReadsBack();
    void sirenRange_data();
    void sirenRange();
    void editStateBelongsToTheTab();
    void typedTextThatNamesNoItemIsSentAsNoSelection();
    void outputsThreeAndFourFollowTheModel();
};

void ActuatorPageTest::eachSubPageWritesAndReadsBack_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<QByteArray>("outputs");
    // Outputs 3 and 4 are chosen only where they are shown; model 56 still
    // sends them, from the hidden fields, as no selection.
    QTest::newRow("37") << 37 << false << QByteArray("\x11\x01\xFF", 3);
    QTest::newRow("51") << 51 << true << QByteArray("\x11\x01\xFF\x05\x03", 5);
    QTest::newRow("56") << 56 << false << QByteArray("\x11\x01\xFF\xFF\xFF", 5);
}

void ActuatorPageTest::eachSubPageWritesAndReadsBack()
{
    QFETCH(int, model);
    QFETCH(bool, shown);
    QFETCH(QByteArray, outputs);
    ToolHarness tool;
    PanelHost& panel = tool.StartConnected({.model = static_cast<std::uint8_t>(model)});
    QCOMPARE(Type(tool, 3)->isHidden(), !shown);
    QCOMPARE(tool.Find<QLabel>("Label66")->isHidden(), !shown);

    // "Saídas"
    QVERIFY(WriteShowing(tool, [&] {
        Type(tool, 1)->setCurrentIndex(1);
        Type(tool, 2)->setCurrentIndex(-1);
        if (shown) {
            Type(tool, 3)->setCurrentIndex(5);
            Type(tool, 4)->setCurrentIndex(3);
        }
    }));
    QCOMPARE(*panel.Panel().Block(17), Bytes(outputs.begin(), outputs.end()));
    QVERIFY(!Type(tool, 1)->isEnabled());
    QVERIFY(ClearAndReadBack(tool, QStringLiteral("CONFIGURAÇÃO ATUADORES")));
    const std::array<int, 4> typesBack = {1, -1, shown ? 5 : -1, shown ? 3 : -1};
    for (int output = 1; output <= 4; ++output) QCOMPARE(Type(tool, output)->currentIndex(), typesBack[output - 1]);

    // "Sirene" with no polarity button checked: float.
    ShowSubPage(tool, 1);
    QVERIFY(WriteShowing(tool, [&] {
        const char* values[] = {"10", "0", "255", "7"};
        for (int i = 0; i < 4; ++i) Edit(tool, kSirenEdits[i])->setText(QString::fromLatin1(values[i]));
    }));
    QCOMPARE(*panel.Panel().Block(24), (Bytes{24, 1, 10, 0, 255, 7}));
    QVERIFY(ClearAndReadBack(tool, QStringLiteral("CONFIGURAÇÃO SIRENE")));
    QVERIFY(Radio(tool, "CheckBoxSirene2")->isChecked());
    QVERIFY(!Radio(tool, "CheckBoxSirene1")->isChecked());
    const char* shownBack[] = {"10", "0", "255", "7"};
    for (int i = 0; i < 4; ++i) QCOMPARE(Edit(tool, kSirenEdits[i])->text(), QString::fromLatin1(shownBack[i]));

    // "Comum" with neither button of output 2 checked; the two pairs are
    // independent groups.
    ShowSubPage(tool, 2);
    QVERIFY(WriteShowing(tool, [&] { Radio(tool, "PolaridadeAtuadorC1_T")->setChecked(true); }));
    QCOMPARE(*panel.Panel().Block(25), (Bytes{25, 0, 1}));
    QVERIFY(ClearAndReadBack(tool, QStringLiteral("CONFIGURAÇÃO ATUADOR COMUM")));
    QVERIFY(Radio(tool, "PolaridadeAtuadorC1_T")->isChecked());
    QVERIFY(Radio(tool, "PolaridadeAtuadorC2_F")->isChecked());
    QVERIFY(!Radio(tool, "PolaridadeAtuadorC2_T")->isChecked());

    // "Buzzer"
    ShowSubPage(tool, 3);
    QVERIFY(WriteShowing(tool, [&] { Radio(tool, "PolaridadeAtuadorBuzzerF")->setChecked(true); }));
    QCOMPARE(*panel.Panel().Block(26), (Bytes{26, 1}));
    QVERIFY(ClearAndReadBack(tool, QStringLiteral("CONFIGURAÇÃO ATUADOR BUZZER")));
    QVERIFY(Radio(tool, "PolaridadeAtuadorBuzzerF")->isChecked());
    QVERIFY(!Radio(tool, "PolaridadeAtuadorBuzzerT")->isChecked());
    QVERIFY(tool.dialogs.Boxes().empty());
}

void ActuatorPageTest::typedTextThatNamesNoItemIsSentAsNoSelection()
{
    // The lists are editable: what is sent must be what the installer sees.
    ToolHarness tool;
    PanelHost& panel = tool.StartConnected({.model = 51});
    QVERIFY(WriteShowing(tool, [&] {
        Type(tool, 1)->setCurrentIndex(1);
        Type(tool, 1)->setEditText(QStringLiteral("SIRENE X"));
        Type(tool, 2)->setCurrentIndex(2);
        Type(tool, 3)->setEditText(QStringLiteral("COFRE"));
        Type(tool, 4)->setCurrentIndex(-1);
    }));
    QCOMPARE(*panel.Panel().Block(17), (Bytes{17, 255, 2, 5, 255}));
}

void ActuatorPageTest::sirenRange_data()
{
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<QString>("refused");  // the field given the focus, or empty
    QTest::newRow("255 accepted") << QStringList{"255", "0", "0", "255"} << QString();
    QTest::newRow("a negative refused") << QStringList{"0", "-99", "0", "0"} << QStringLiteral("TempoAtivacaoSirene");
    QTest::newRow("256 repetitions") << QStringList{"0", "0", "0", "256"} << QStringLiteral("NumeroRepeticaoSirene");
    QTest::newRow("first of two in order") << QStringList{"0", "300", "0", "256"} << QStringLiteral("TempoAtivacaoSirene");
}

void ActuatorPageTest::sirenRange()
{
    QFETCH(QStringList, values);
    QFETCH(QString, refused);
    ToolHarness tool;
    PanelHost& panel = tool.StartConnected({.model = 51});
    tool.Window().show();
    tool.Window().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&tool.Window()));
    tool.Find<QTabWidget>("PageControlPrincipal")->setCurrentWidget(tool.Find<QWidget>("TabSheet6"));
    ShowSubPage(tool, 1);
    const Bytes before = *panel.Panel().Block(24);

    tool.Click("BtnEditar6");
    Radio(tool, "CheckBoxSirene1")->setChecked(true);
    for (int i = 0; i < 4; ++i) Edit(tool, kSirenEdits[i])->setText(values[i]);
    tool.Click("BtnGravar6");
    if (refused.isEmpty()) {
        QVERIFY(tool.WaitForStatus(kWritten));
        Bytes expected = {24, 0};
        for (const QString& v : values) expected.push_back(static_cast<std::uint8_t>(v.toInt()));
        QCOMPARE(*panel.Panel().Block(24), expected);
        QVERIFY(!tool.InEditState(6));
    } else {
        QCOMPARE(tool.dialogs.Texts(), QStringList{QStringLiteral("Valor fora da faixa especificada.")});
        QCOMPARE(QApplication::focusWidget(), tool.Find<QWidget>(refused));
        QVERIFY(tool.InEditState(6));
        QVERIFY(Edit(tool, "TempoRetardoSirene")->isEnabled());
        DrainEvents();
        QCOMPARE(panel.Panel().CommandCount(CommandByte(CommandCode::WriteBlockCommand)), std::size_t{0});
        QCOMPARE(*panel.Panel().Block(24), before);
    }
}

void ActuatorPageTest::editStateBelongsToTheTab()
{
    ToolHarness tool;
    PanelHost& panel = tool.StartConnected({.model = 51});
    const Bytes outputsBefore = *panel.Panel().Block(17);

    tool.Click("BtnEditar6");
    QVERIFY(tool.InEditState(6));
    for (int output = 1; output <= 4; ++output) QVERIFY(Type(tool, output)->isEnabled());
    QVERIFY(!Radio(tool, "CheckBoxSirene1")->isEnabled());

    // A change of sub-page returns the buttons to view state; the unlocked
    // combo boxes stay unlocked and can still be changed.
    ShowSubPage(tool, 1);
    QVERIFY(!tool.InEditState(6));
    QVERIFY(Type(tool, 1)->isEnabled());
    QVERIFY(!Edit(tool, "TempoRetardoSirene")->isEnabled());
    Type(tool, 1)->setCurrentIndex(2);

    // Clear and write act on the showing sub-page only.
    Edit(tool, "TempoRetardoSirene")->setText(QStringLiteral("9"));
    tool.Click("BtnLimpar6");
    QVERIFY(Edit(tool, "TempoRetardoSirene")->text().isEmpty());
    QCOMPARE(Type(tool, 1)->currentIndex(), 2);
    QVERIFY(WriteShowing(tool, [&] {
        for (const char* name : kSirenEdits) Edit(tool, name)->setText(QStringLiteral("1"));
    }));
    QCOMPARE(*panel.Panel().Block(24), (Bytes{24, 1, 1, 1, 1, 1}));
    QVERIFY(!Edit(tool, "TempoRetardoSirene")->isEnabled());
    QVERIFY(Type(tool, 1)->isEnabled());

    // Back on "Saídas": nothing written until edit and write are used there.
    ShowSubPage(tool, 0);
    QVERIFY(!tool.InEditState(6));
    QCOMPARE(*panel.Panel().Block(17), outputsBefore);
    QVERIFY(WriteShowing(tool, [] {}));
    QCOMPARE(*panel.Panel().Block(17), (Bytes{17, 2, 255, 255, 255}));
    QVERIFY(!Type(tool, 1)->isEnabled());
}

void ActuatorPageTest::outputsThreeAndFourFollowTheModel()
{
    ToolHarness tool;
    tool.StartConnected({.model = 37});
    const QList<QWidget*> fields = {tool.Find<QWidget>("Label67"), Type(tool, 3), tool.Find<QWidget>("Label66"),
                                    Type(tool, 4)};
    QCOMPARE(tool.Find<QLabel>("Label67")->text(), QStringLiteral("Tipo atuador 3:"));
    QCOMPARE(tool.Find<QLabel>("Label66")->text(), QStringLiteral("Tipo atuador 4:"));
    const struct {
        std::uint8_t model;
        bool hidden;
    } steps[] = {{37, true}, {51, false}, {9, false}, {56, true}, {0, true}, {255, true}, {51, false}};
    for (const auto& step : steps) {
        if (step.model != 37) emit tool.Session().Identified(Identification{.model = step.model});
        for (QWidget* field : fields) QVERIFY2(field->isHidden() == step.hidden, qPrintable(QString::number(step.model)));
    }
}

QTEST_MAIN(ActuatorPageTest)
#include "actuator_page_test.moc"
