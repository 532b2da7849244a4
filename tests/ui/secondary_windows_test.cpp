// The secondary windows' show step runs when a window is opened, not when
// the user restores it from minimised; the firmware window's file field
// reads "Sem informação" while fresh; the language chosen: from --lang, the
// window's choice or the locale, the tool's texts and Qt's own in it.

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTranslator>

#include "app/language.h"
#include <QMenuBar>
#include "support/tool_harness.h"
#include "ui/diagnostics/form_debug.h"
#include "ui/firmware/form_atualizacao.h"
#include "ui/rf/form_cadastro.h"

class SecondaryWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void restoringFromMinimisedKeepsWhatIsShown();
    void theFreshFirmwareWindowHasNoFile();
    void theLanguageIsChosen_data();
    void theLanguageIsChosen();
    void textsFollowTheLanguage_data();
    void textsFollowTheLanguage();
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

void SecondaryWindowsTest::theLanguageIsChosen_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("saved");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("chosen");  // a code, or "refused"
    QTest::addColumn<QStringList>("rest");  // the arguments left for the parser
    const QStringList none;
    // The locale alone: C and languages without a catalogue are Portuguese.
    QTest::newRow("C") << none << QString() << "C" << "pt_BR" << none;
    QTest::newRow("C.UTF-8") << none << QString() << "C.UTF-8" << "pt_BR" << none;
    QTest::newRow("es_AR") << none << QString() << "es_AR" << "es" << none;
    QTest::newRow("en_GB") << none << QString() << "en_GB" << "en" << none;
    QTest::newRow("de_DE") << none << QString() << "de_DE" << "pt_BR" << none;
    // The window's choice over the locale; --lang over both.
    QTest::newRow("saved") << none << "en" << "es_MX" << "en" << none;
    QTest::newRow("saved nonsense") << none << "klingon" << "es_MX" << "es" << none;
    QTest::newRow("--lang") << QStringList{"identify", "--lang", "es", "--port", "COM3"} << "en" << "C" << "es"
                            << QStringList{"identify", "--port", "COM3"};
    QTest::newRow("--lang=") << QStringList{"--lang=EN", "ports"} << QString() << "pt_BR" << "en"
                             << QStringList{"ports"};
    QTest::newRow("pt") << QStringList{"--lang", "pt"} << "es" << "es" << "pt_BR" << none;
    // A language the tool does not speak is refused, the locale's stands to
    // say so; one with nothing after it too.
    QTest::newRow("unknown") << QStringList{"--lang", "fr"} << "en" << "es" << "refused" << none;
    QTest::newRow("no value") << QStringList{"ports", "--lang"} << QString() << "C" << "refused"
                              << QStringList{"ports"};
    // After "--" it is an operand, not the option.
    QTest::newRow("operand") << QStringList{"diff", "--", "--lang"} << QString() << "C" << "pt_BR"
                             << QStringList{"diff", "--", "--lang"};
}

void SecondaryWindowsTest::theLanguageIsChosen()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, saved);
    QFETCH(QString, locale);
    QFETCH(QString, chosen);
    QFETCH(QStringList, rest);
    const LanguageChoice choice = ChooseLanguage(FindLanguageArgument(arguments), saved, QLocale(locale));
    QCOMPARE(choice.refused ? QStringLiteral("refused") : LanguageCode(choice.language), chosen);
    QCOMPARE(WithoutLanguageArgument(arguments), rest);
}

void SecondaryWindowsTest::textsFollowTheLanguage_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("menu");    // the tool's own text
    QTest::addColumn<QString>("cancel");  // Qt's own
    QTest::newRow("pt_BR") << "pt_BR" << "Idioma" << "Cancelar";
    QTest::newRow("es") << "es" << "Idioma" << "Cancelar";
    QTest::newRow("en") << "en" << "Language" << "Cancel";
}

void SecondaryWindowsTest::textsFollowTheLanguage()
{
    QFETCH(QString, language);
    QFETCH(QString, menu);
    QFETCH(QString, cancel);
    const QLocale before;
    const std::vector<QTranslator*> installed = ApplyLanguage(*QCoreApplication::instance(), *LanguageFromCode(language));
    QStringList texts;
    {
        ToolHarness tool;
        QString remembered;
        tool.Start({.rememberLanguage = [&remembered](const QString& code) { remembered = code; }});
        const auto* idioma = tool.App().MainWindow().menuBar()->findChild<QMenu*>(QStringLiteral("MenuIdioma"));
        QVERIFY(idioma);
        QCOMPARE(idioma->title(), menu);
        // The entry of the language spoken is checked.
        QVERIFY(tool.App().MainWindow().findChild<QAction*>(QStringLiteral("MenuIdioma_pt_BR"))->isChecked());
        // Another is kept for the next start, and the installer told so.
        tool.Trigger(("MenuIdioma_" + language.toLatin1()).constData());
        QCOMPARE(remembered, language);
        QCOMPARE(tool.dialogs.Boxes().size(), std::size_t{1});
        // As the dialog seam opens it.
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        for (const QPushButton* button : dialog.findChildren<QPushButton*>()) texts << button->text();
    }
    for (QTranslator* translator : installed) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
    QLocale::setDefault(before);
    QVERIFY2(texts.contains(cancel), qPrintable(texts.join(", ")));
}

QTEST_MAIN(SecondaryWindowsTest)
#include "secondary_windows_test.moc"
