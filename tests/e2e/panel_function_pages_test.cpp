// Tabs 7 and 9 to 15 against a software panel: the blocks of the arming
// rules, keypad address and partitions, safe and alarm functions written and
// read back through their pages, the validation of the arming time and of
// the safe, and the pages that have no block.

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "core/link/commands.h"
#include "support/tool_harness.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
// A control by name and its value as text: an edit's text, a combo box's
// item index, "on" or "off" for a check box or radio button.
using Values = std::vector<std::pair<const char*, const char*>>;

const QString kOutOfRange = QStringLiteral("Valor fora da faixa especificada.");
const QString kUnreadable = QStringLiteral("Erro ao tentar ler a configuração da temperatura.");

QString ValueOf(QWidget* control)
{
    if (auto* edit = qobject_cast<QLineEdit*>(control)) return edit->text();
    if (auto* combo = qobject_cast<QComboBox*>(control)) return QString::number(combo->currentIndex());
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        return button->isChecked() ? QStringLiteral("on") : QStringLiteral("off");
    }
    return QStringLiteral("<unknown control>");
}

void Enter(ToolHarness& tool, const Values& values)
{
    for (const auto& [name, value] : values) {
        auto* control = tool.Find<QWidget>(QString::fromLatin1(name));
        const QString text = QString::fromUtf8(value);
        if (auto* edit = qobject_cast<QLineEdit*>(control)) edit->setText(text);
        if (auto* combo = qobject_cast<QComboBox*>(control)) combo->setCurrentIndex(text.toInt());
        if (auto* button = qobject_cast<QAbstractButton*>(control)) button->setChecked(text == QLatin1String("on"));
    }
}

// The first control whose value differs, as "name: shown, expected"; empty when all match.
QString Mismatch(ToolHarness& tool, const Values& expected)
{
    for (const auto& [name, value] : expected) {
        const QString shown = ValueOf(tool.Find<QWidget>(QString::fromLatin1(name)));
        if (shown != QString::fromUtf8(value)) return QStringLiteral("%1: %2, expected %3").arg(name, shown, value);
    }
    return {};
}

void Click(ToolHarness& tool, const char* button, int tab)
{
    tool.Click(QString::fromLatin1(button) + QString::number(tab));
}

void ShowTab(ToolHarness& tool, int tab)
{
    tool.Window().show();
    tool.Window().activateWindow();
    if (!QTest::qWaitForWindowActive(&tool.Window())) QTest::qFail("window not active", __FILE__, __LINE__);
    tool.Find<QTabWidget>("PageControlPrincipal")->setCurrentIndex(tab - 1);
}

const Values kSafeDefaults{{"CfgTemperaturaMaxCofre", "30"},
                           {"CfgTemperaturaMinCofre", "5"},
                           {"CfgTempoDebTempMaxCofre", "10"},
                           {"CfgTempoDebTempMinCofre", "10"},
                           {"CfgTempoMaxAbertoCofre", "300"}};

}  // namespace

class PanelFunctionPagesTest : public QObject {
    Q_OBJECT
private slots:
    void blocksAreWrittenByteExactAndReadBack();
    void answersFromThePanelFillThePages();
    void validation_data();
    void validation();
    void blocklessPagesShowTheirFields();
    void blocklessPagesDoNothing();
    void captionsAreShownWhole();
};

void PanelFunctionPagesTest::blocksAreWrittenByteExactAndReadBack()
{
    const struct {
        const char* what;
        int tab;
        std::uint8_t block;
        const char* title;
        Values entered;
        Bytes stored;
        Values shown;
    } rows[] = {
        {"rules 1, 3, 5 and 255 s", 9, 38, "CONFIGURAÇÃO REGRAS CENTRAL",
         {{"CfgTempoParaArmar", "255"}, {"CfgRegrasParaArmar1", "on"}, {"CfgRegrasParaArmar3", "on"},
          {"CfgRegrasParaArmar5", "on"}},
         {38, 255, 0x00, 0x15},
         {{"CfgTempoParaArmar", "255"}, {"CfgRegrasParaArmar1", "on"}, {"CfgRegrasParaArmar2", "off"},
          {"CfgRegrasParaArmar3", "on"}, {"CfgRegrasParaArmar4", "off"}, {"CfgRegrasParaArmar5", "on"}}},
        {"all rules, no time", 9, 38, "CONFIGURAÇÃO REGRAS CENTRAL",
         {{"CfgTempoParaArmar", "0"}, {"CfgRegrasParaArmar1", "on"}, {"CfgRegrasParaArmar2", "on"},
          {"CfgRegrasParaArmar3", "on"}, {"CfgRegrasParaArmar4", "on"}, {"CfgRegrasParaArmar5", "on"}},
         {38, 0, 0x00, 0x1F},
         {{"CfgTempoParaArmar", "0"}, {"CfgRegrasParaArmar2", "on"}, {"CfgRegrasParaArmar4", "on"}}},
        {"keypad 8", 10, 39, "CONFIGURAÇÃO ENDEREÇO TECLADO", {{"CfgEndTecladoAdemco", "7"}}, {39, 7},
         {{"CfgEndTecladoAdemco", "7"}}},
        {"no keypad address", 10, 39, "CONFIGURAÇÃO ENDEREÇO TECLADO", {}, {39, 255},
         {{"CfgEndTecladoAdemco", "-1"}}},
        {"partitions", 11, 40, "CONFIGURAÇÃO PARTIÇÃO TECLADO",
         {{"CfgPartTecladoAdemco2", "0"}, {"CfgPartTecladoAdemco3", "1"}, {"CfgPartTecladoAdemco4", "2"},
          {"CfgPartTecladoAdemco5", "3"}, {"CfgPartTecladoAdemco6", "0"}, {"CfgPartTecladoAdemco7", "1"},
          {"CfgPartTecladoAdemco8", "2"}},
         {40, 1, 0, 1, 2, 3, 0, 1, 2},
         {{"CfgPartTecladoAdemco2", "0"}, {"CfgPartTecladoAdemco3", "1"}, {"CfgPartTecladoAdemco4", "2"},
          {"CfgPartTecladoAdemco5", "3"}, {"CfgPartTecladoAdemco6", "0"}, {"CfgPartTecladoAdemco7", "1"},
          {"CfgPartTecladoAdemco8", "2"}}},
        {"no partitions", 11, 40, "CONFIGURAÇÃO PARTIÇÃO TECLADO", {}, {40, 1, 255, 255, 255, 255, 255, 255, 255},
         {{"CfgPartTecladoAdemco2", "-1"}, {"CfgPartTecladoAdemco5", "-1"}, {"CfgPartTecladoAdemco8", "-1"}}},
        {"safe enabled at the limits", 12, 41, "CONFIGURAÇÃO FUNÇÃO COFRE",
         {{"CfgFuncaoCofreHab", "on"}, {"CfgPolAtuadorCofre1", "on"}, {"CfgTemperaturaMaxCofre", "125"},
          {"CfgTemperaturaMinCofre", "-55"}, {"CfgTempoDebTempMaxCofre", "255"}, {"CfgTempoDebTempMinCofre", "0"},
          {"CfgTempoMaxAbertoCofre", "65535"}},
         {41, 0x7D, 0x5A, 0, 0x04, 0xE2, 0x82, 0x26, 255, 0, 0xFF, 0xFF},
         {{"CfgFuncaoCofreHab", "on"}, {"CfgFuncaoCofreDesab", "off"}, {"CfgPolAtuadorCofre1", "on"},
          {"CfgPolAtuadorCofre2", "off"}, {"CfgTemperaturaMaxCofre", "125.0"}, {"CfgTemperaturaMinCofre", "-55.0"},
          {"CfgTempoDebTempMaxCofre", "255"}, {"CfgTempoDebTempMinCofre", "0"}, {"CfgTempoMaxAbertoCofre", "65535"}}},
        // Neither switch checked; 2.3 as 23 tenths, a decimal comma, the
        // maximum below the minimum as typed.
        {"safe unset with decimals", 12, 41, "CONFIGURAÇÃO FUNÇÃO COFRE",
         {{"CfgTemperaturaMaxCofre", "2.3"}, {"CfgTemperaturaMinCofre", "12,5"}, {"CfgTempoDebTempMaxCofre", "7"},
          {"CfgTempoDebTempMinCofre", "10"}, {"CfgTempoMaxAbertoCofre", "4660"}},
         {41, 0, 0, 1, 0x00, 0x17, 0x00, 0x7D, 7, 10, 0x12, 0x34},
         {{"CfgFuncaoCofreHab", "off"}, {"CfgFuncaoCofreDesab", "on"}, {"CfgPolAtuadorCofre1", "off"},
          {"CfgPolAtuadorCofre2", "on"}, {"CfgTemperaturaMaxCofre", "2.3"}, {"CfgTemperaturaMinCofre", "12.5"},
          {"CfgTempoDebTempMaxCofre", "7"}, {"CfgTempoDebTempMinCofre", "10"}, {"CfgTempoMaxAbertoCofre", "4660"}}},
        {"alarm enabled", 15, 42, "CONFIGURAÇÃO FUNÇÃO ALARME", {{"CfgBackupAlarmeAtivadoHab", "on"}},
         {42, 0x7F, 0x3A}, {{"CfgBackupAlarmeAtivadoHab", "on"}, {"CfgBackupAlarmeAtivadoDesab", "off"}}},
        {"alarm unset", 15, 42, "CONFIGURAÇÃO FUNÇÃO ALARME", {}, {42, 0x00, 0x00},
         {{"CfgBackupAlarmeAtivadoHab", "off"}, {"CfgBackupAlarmeAtivadoDesab", "on"}}},
    };

    ToolHarness tool;
    PanelHost& panel = tool.StartConnected();
    for (const auto& row : rows) {
        Click(tool, "BtnLimpar", row.tab);
        Click(tool, "BtnEditar", row.tab);
        Enter(tool, row.entered);
        Click(tool, "BtnGravar", row.tab);
        QVERIFY2(tool.WaitForStatus(kWritten), row.what);
        QVERIFY2(!tool.InEditState(row.tab), row.what);
        QVERIFY2(panel.Panel().Block(row.block) == row.stored, row.what);

        Click(tool, "BtnLimpar", row.tab);
        Click(tool, "BtnLer", row.tab);
        QVERIFY2(tool.WaitForStatus(QString::fromUtf8(row.title)), row.what);
        const QString mismatch = Mismatch(tool, row.shown);
        QVERIFY2(mismatch.isEmpty(), qPrintable(QStringLiteral("%1: %2").arg(row.what, mismatch)));
    }
    QCOMPARE(tool.dialogs.Texts(), QStringList{});
}

void PanelFunctionPagesTest::answersFromThePanelFillThePages()
{
    // In order on one window: each answer replaces what the one before showed.
    const struct {
        int tab;
        const char* title;
        Bytes answer;
        Values shown;
    } rows[] = {
        {9, "CONFIGURAÇÃO REGRAS CENTRAL", {38, 30, 0xFF, 0xFF},
         {{"CfgTempoParaArmar", "30"}, {"CfgRegrasParaArmar1", "on"}, {"CfgRegrasParaArmar5", "on"}}},
        {9, "CONFIGURAÇÃO REGRAS CENTRAL", {38, 0, 0xFF, 0xE0},
         {{"CfgTempoParaArmar", "0"}, {"CfgRegrasParaArmar1", "off"}, {"CfgRegrasParaArmar2", "off"},
          {"CfgRegrasParaArmar3", "off"}, {"CfgRegrasParaArmar4", "off"}, {"CfgRegrasParaArmar5", "off"}}},
        {10, "CONFIGURAÇÃO ENDEREÇO TECLADO", {39, 3}, {{"CfgEndTecladoAdemco", "3"}}},
        {10, "CONFIGURAÇÃO ENDEREÇO TECLADO", {39, 255}, {{"CfgEndTecladoAdemco", "-1"}}},
        {11, "CONFIGURAÇÃO PARTIÇÃO TECLADO", {40, 1, 1, 1, 1, 1, 1, 1, 1},
         {{"CfgPartTecladoAdemco2", "1"}, {"CfgPartTecladoAdemco8", "1"}}},
        {11, "CONFIGURAÇÃO PARTIÇÃO TECLADO", {40, 9, 4, 3, 255, 0, 1, 2, 3},
         {{"CfgPartTecladoAdemco2", "-1"}, {"CfgPartTecladoAdemco3", "3"}, {"CfgPartTecladoAdemco4", "-1"},
          {"CfgPartTecladoAdemco5", "0"}, {"CfgPartTecladoAdemco8", "3"}}},
        {12, "CONFIGURAÇÃO FUNÇÃO COFRE", {41, 0x7D, 0x5A, 0, 0x74, 0xE2, 0x80, 0x01, 7, 8, 0x12, 0x34},
         {{"CfgFuncaoCofreHab", "on"}, {"CfgPolAtuadorCofre1", "on"}, {"CfgTemperaturaMaxCofre", "125.0"},
          {"CfgTemperaturaMinCofre", "-0.1"}, {"CfgTempoDebTempMaxCofre", "7"}, {"CfgTempoDebTempMinCofre", "8"},
          {"CfgTempoMaxAbertoCofre", "4660"}}},
        {12, "CONFIGURAÇÃO FUNÇÃO COFRE", {41, 0x7D, 0x5B, 5, 0x0F, 0xFF, 0x84, 0xE3, 0, 0, 0, 0},
         {{"CfgFuncaoCofreHab", "off"}, {"CfgFuncaoCofreDesab", "on"}, {"CfgPolAtuadorCofre1", "off"},
          {"CfgPolAtuadorCofre2", "on"}, {"CfgTemperaturaMaxCofre", "0.0"}, {"CfgTemperaturaMinCofre", "0.0"}}},
        {15, "CONFIGURAÇÃO FUNÇÃO ALARME", {42, 0x7F, 0x3A}, {{"CfgBackupAlarmeAtivadoHab", "on"}}},
        {15, "CONFIGURAÇÃO FUNÇÃO ALARME", {42, 0x7F, 0x3B},
         {{"CfgBackupAlarmeAtivadoHab", "off"}, {"CfgBackupAlarmeAtivadoDesab", "on"}}},
    };

    ToolHarness tool;
    PanelHost& panel = tool.StartConnected();
    for (const auto& row : rows) {
        panel.Panel().SetBlock(row.answer);
        // The previous answer's title may be the same; start from a blank line.
        tool.StatusLine()->clear();
        Click(tool, "BtnLer", row.tab);
        QVERIFY(tool.WaitForStatus(QString::fromUtf8(row.title)));
        const QString mismatch = Mismatch(tool, row.shown);
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
    }
}

void PanelFunctionPagesTest::validation_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("secondField");
    QTest::addColumn<QString>("secondText");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");  // empty: the focus stays where it was

    const QString max = QStringLiteral("CfgTemperaturaMaxCofre");
    const QString min = QStringLiteral("CfgTemperaturaMinCofre");
    const QString debMax = QStringLiteral("CfgTempoDebTempMaxCofre");
    const QString debMin = QStringLiteral("CfgTempoDebTempMinCofre");
    const QString open = QStringLiteral("CfgTempoMaxAbertoCofre");
    const QString none;
    QTest::newRow("maximum empty") << 12 << max << "" << none << "" << kOutOfRange << max;
    QTest::newRow("maximum not a number") << 12 << max << "abc" << none << "" << kOutOfRange << max;
    QTest::newRow("maximum blank") << 12 << max << "  " << none << "" << kOutOfRange << max;
    QTest::newRow("maximum above 125.0") << 12 << max << "125.1" << none << "" << kOutOfRange << max;
    QTest::newRow("maximum past single precision") << 12 << max << "1e39" << none << "" << kUnreadable << none;
    QTest::newRow("minimum below -55.0") << 12 << min << "-55.1" << none << "" << kOutOfRange << min;
    QTest::newRow("minimum not a number") << 12 << min << "abc" << none << "" << kOutOfRange << min;
    QTest::newRow("minimum past single precision") << 12 << min << "-9e99" << none << "" << kUnreadable << none;
    QTest::newRow("maximum checked before minimum") << 12 << min << "abc" << max << "126" << kOutOfRange << max;
    QTest::newRow("temperatures before times") << 12 << debMax << "256" << min << "-56" << kOutOfRange << min;
    QTest::newRow("debounce of the maximum 256") << 12 << debMax << "256" << none << "" << kOutOfRange << debMax;
    QTest::newRow("debounce of the minimum 256") << 12 << debMin << "256" << none << "" << kOutOfRange << debMin;
    QTest::newRow("open time 65536") << 12 << open << "65536" << none << "" << kOutOfRange << open;
    QTest::newRow("debounce not an integer") << 12 << debMax << "" << open << "65536"
                                             << QStringLiteral("'' is not a valid integer value") << none;

    const QString delay = QStringLiteral("CfgTempoParaArmar");
    QTest::newRow("arming time 256") << 9 << delay << "256" << none << "" << kOutOfRange << delay;
    QTest::newRow("arming time empty") << 9 << delay << "" << none << ""
                                       << QStringLiteral("'' is not a valid integer value") << none;
}

void PanelFunctionPagesTest::validation()
{
    QFETCH(int, tab);
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, secondField);
    QFETCH(QString, secondText);
    QFETCH(QString, message);
    QFETCH(QString, focus);

    ToolHarness tool;
    PanelHost& panel = tool.StartConnected();
    ShowTab(tool, tab);
    Click(tool, "BtnEditar", tab);
    if (tab == 12) Enter(tool, kSafeDefaults);
    tool.Find<QLineEdit>(field)->setText(text);
    if (!secondField.isEmpty()) tool.Find<QLineEdit>(secondField)->setText(secondText);
    QWidget* before = tool.Find<QWidget>(tab == 12 ? "CfgFuncaoCofreHab" : "CfgRegrasParaArmar1");
    before->setFocus();
    Click(tool, "BtnGravar", tab);

    QCOMPARE(tool.dialogs.Texts(), QStringList{message});
    QCOMPARE(QApplication::focusWidget(), focus.isEmpty() ? before : tool.Find<QWidget>(focus));
    QVERIFY(tool.InEditState(tab));
    QVERIFY(tool.Find<QWidget>(field)->isEnabled());
    DrainEvents();
    QCOMPARE(panel.Panel().CommandCount(kWrite), std::size_t{0});
}

void PanelFunctionPagesTest::blocklessPagesShowTheirFields()
{
    ToolHarness tool;
    tool.Start();
    const struct {
        const char* name;
        bool enabled;
        int maxLength;  // 0: not an edit, or no limit to check
        const char* text;
    } controls[] = {
        {"EdNumeroIdMotorista", true, 128, "1"},
        {"NumIdMoto6", true, 2, ""}, {"NumIdMoto1", true, 2, ""},
        {"CheckDNS1", true, 0, "on"}, {"CheckDNS2", true, 0, "off"}, {"CheckDNS4", true, 0, "off"},
        {"NomeDNS", false, 50, ""},
        {"ConfiguracaoAtualizaNunIpDNSHab", false, 0, "off"}, {"ConfiguracaoAtualizaNunIpDNSDesab", false, 0, "off"},
        {"ConfiguracaoTimerVerificaDNS", false, 0, ""},
        {"NumeroAlertaTemperatura", true, 0, "1"},
        {"Edit8", false, 0, ""}, {"Edit13", false, 0, ""}, {"Edit14", false, 0, ""}, {"CheckBox14", false, 0, "off"},
        {"Edit16", false, 0, ""}, {"CheckBox15", false, 0, "off"}, {"Edit19", false, 0, ""},
    };
    for (const auto& c : controls) {
        QWidget* control = tool.Find<QWidget>(QString::fromLatin1(c.name));
        QVERIFY2(control->isEnabled() == c.enabled, c.name);
        QVERIFY2(ValueOf(control) == QString::fromLatin1(c.text), c.name);
        if (c.maxLength > 0) QVERIFY2(qobject_cast<QLineEdit*>(control)->maxLength() == c.maxLength, c.name);
    }

    // The code cells stand in their order, left to right.
    ShowTab(tool, 7);
    for (int cell = 6; cell > 1; --cell) {
        QVERIFY(tool.Find<QWidget>(QStringLiteral("NumIdMoto%1").arg(cell))->x() <
                tool.Find<QWidget>(QStringLiteral("NumIdMoto%1").arg(cell - 1))->x());
    }
    ShowTab(tool, 14);
    for (int edit = 8; edit < 13; ++edit) {
        QVERIFY(tool.Find<QWidget>(QStringLiteral("Edit%1").arg(edit))->x() <
                tool.Find<QWidget>(QStringLiteral("Edit%1").arg(edit + 1))->x());
    }
    auto* notebook = tool.Find<QTabWidget>("TabbedNotebookDNS");
    QCOMPARE(notebook->count(), 2);
    QCOMPARE(notebook->tabText(0), QStringLiteral("DNS"));
    QCOMPARE(notebook->tabText(1), QStringLiteral("Configuração"));
}

void PanelFunctionPagesTest::blocklessPagesDoNothing()
{
    // With the port closed no box says so; with a panel, nothing reaches it.
    for (bool connected : {false, true}) {
        ToolHarness tool;
        PanelHost* panel = nullptr;
        if (connected) {
            panel = &tool.StartConnected();
        } else {
            tool.Start();
        }
        tool.Find<QLineEdit>("EdNumeroIdMotorista")->setText(QStringLiteral("77"));
        tool.Find<QLineEdit>("NumeroAlertaTemperatura")->setText(QStringLiteral("9"));
        for (int tab : {7, 13, 14}) {
            for (const char* button : {"BtnEditar", "BtnLer", "BtnLimpar"}) Click(tool, button, tab);
            auto* write = tool.Find<QAbstractButton>(QStringLiteral("BtnGravar%1").arg(tab));
            QVERIFY(!write->isEnabled());
            // Even forced on, its click does nothing.
            write->setEnabled(true);
            write->click();
            write->setEnabled(false);
        }
        // The DNS choice can be clicked and only moves the check.
        tool.Click("CheckDNS3");
        QCOMPARE(ValueOf(tool.Find<QWidget>("CheckDNS3")), QStringLiteral("on"));
        QCOMPARE(ValueOf(tool.Find<QWidget>("CheckDNS1")), QStringLiteral("off"));

        DrainEvents();
        QCOMPARE(tool.dialogs.Texts(), QStringList{});
        QCOMPARE(tool.Find<QLineEdit>("EdNumeroIdMotorista")->text(), QStringLiteral("77"));
        QCOMPARE(tool.Find<QLineEdit>("NumeroAlertaTemperatura")->text(), QStringLiteral("9"));
        QVERIFY(!tool.Find<QWidget>("NomeDNS")->isEnabled());
        QVERIFY(!tool.Find<QWidget>("Edit8")->isEnabled());
        QVERIFY(tool.StatusLine()->text().isEmpty());
        if (panel) {
            QCOMPARE(panel->Panel().CommandCount(kRead), std::size_t{0});
            QCOMPARE(panel->Panel().CommandCount(kWrite), std::size_t{0});
        }
    }
}

void PanelFunctionPagesTest::captionsAreShownWhole()
{
    // The window has a fixed size: a page wider than it squeezes its labels
    // and buttons, and the installer reads a cut caption.
    ToolHarness tool;
    tool.Start();
    tool.Window().show();
    auto* tabs = tool.Find<QTabWidget>("PageControlPrincipal");
    auto* dnsPages = tool.Find<QTabWidget>("TabbedNotebookDNS");
    for (int tab : {7, 9, 10, 11, 12, 13, 14, 15}) {
        tabs->setCurrentIndex(tab - 1);
        for (int dnsPage = 0; dnsPage < (tab == 13 ? 2 : 1); ++dnsPage) {
            dnsPages->setCurrentIndex(dnsPage);
            DrainEvents();
            for (QWidget* control : tabs->currentWidget()->findChildren<QWidget*>()) {
                QString caption;
                if (auto* label = qobject_cast<QLabel*>(control)) caption = label->text();
                if (auto* button = qobject_cast<QAbstractButton*>(control)) caption = button->text();
                if (caption.isEmpty() || !control->isVisible()) continue;
                QVERIFY2(control->width() >= control->sizeHint().width(),
                         qPrintable(QStringLiteral("tab %1: \"%2\" cut to %3 of %4 pixels")
                                        .arg(tab)
                                        .arg(caption)
                                        .arg(control->width())
                                        .arg(control->sizeHint().width())));
            }
        }
    }
}

QTEST_MAIN(PanelFunctionPagesTest)
#include "panel_function_pages_test.moc"
