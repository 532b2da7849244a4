// The secondary windows' show step runs when a window is opened, not when
// the user restores it from minimised; the firmware window's file field
// reads "Sem informação" while fresh; Qt's own texts speak Portuguese.

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTranslator>

#include "app/qt_translations.h"
#include "support/tool_harness.h"
#include "ui/diagnostics/form_debug.h"
#include "ui/firmware/form_atualizacao.h"
#include "ui/rf/form_cadastro.h"

class SecondaryWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void restoringFromMinimisedKeepsWhatIsShown();
    void theFreshFirmwareWindowHasNoFile();
    void qtsOwnTextsFollowTheLocale_data();
    void qtsOwnTextsFollowTheLocale();
};

void SecondaryWindowsTest::restoringFromMinimisedKeepsWhatIsShown()
{
    ToolHarness tool;
    tool.Start();
    struct Case {
        QDialog* window;
        const char* label;  // one the show step resets
    };
    const Case cases[] = {
        {&tool.App().FirmwareWindow(), "Label8"},
        {&tool.App().DiagnosticWindow(), "LabelStatusAba1_1"},
        {&tool.App().EnrolmentWindow(), "LabelSts"},
    };
    for (const Case& c : cases) {
        QLabel* label = c.window->findChild<QLabel*>(QString::fromLatin1(c.label));
        QVERIFY2(label, c.label);
        c.window->show();
        label->setText(QStringLiteral("Pacote 5 de 20"));  // what a run is showing
        c.window->setWindowState(Qt::WindowMinimized);
        c.window->setWindowState(Qt::WindowNoState);  // Qt shows it again, spontaneously
        QCOMPARE(label->text(), QStringLiteral("Pacote 5 de 20"));
        c.window->hide();
        c.window->show();  // opened again: the show step runs
        QVERIFY2(label->text() != QStringLiteral("Pacote 5 de 20"), c.label);
        c.window->hide();
    }
}

void SecondaryWindowsTest::theFreshFirmwareWindowHasNoFile()
{
    ToolHarness tool;
    tool.Start();
    auto* edit1 = tool.App().FirmwareWindow().findChild<QLineEdit*>(QStringLiteral("Edit1"));
    QCOMPARE(edit1->text(), QStringLiteral("Sem informação"));
}

void SecondaryWindowsTest::qtsOwnTextsFollowTheLocale_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("cancel");
    // Whatever the machine's own locale: C and POSIX get the tool's language.
    QTest::newRow("C") << QLocale::c() << QStringLiteral("Cancelar");
    QTest::newRow("pt_BR") << QLocale(QStringLiteral("pt_BR")) << QStringLiteral("Cancelar");
    QTest::newRow("de_DE") << QLocale(QStringLiteral("de_DE")) << QStringLiteral("Abbrechen");
}

void SecondaryWindowsTest::qtsOwnTextsFollowTheLocale()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, cancel);
    QTranslator* translator = InstallQtTranslations(*QCoreApplication::instance(), locale);
    QVERIFY(translator);
    // As the dialog seam opens it.
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    QStringList texts;
    for (const QPushButton* button : dialog.findChildren<QPushButton*>()) texts << button->text();
    QCoreApplication::removeTranslator(translator);
    delete translator;
    QVERIFY2(texts.contains(cancel), qPrintable(texts.join(", ")));
}

QTEST_MAIN(SecondaryWindowsTest)
#include "secondary_windows_test.moc"
