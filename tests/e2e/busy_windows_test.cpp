// While a job talks to the panel (a save into the library), every action
// that would start another exchange waits, in every window, and is back
// once the job ends.

#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include "support/tool_harness.h"
#include "ui/diagnostics/form_debug.h"
#include "ui/firmware/form_atualizacao.h"
#include "ui/library/form_biblioteca.h"
#include "ui/rf/form_cadastro.h"

class BusyWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void panelActionsWaitWhileASaveRuns();
};

void BusyWindowsTest::panelActionsWaitWhileASaveRuns()
{
    QTemporaryDir dir;
    ToolHarness tool;
    tool.StartConnected();
    Application& app = tool.App();
    // Each action as it stands when the panel is free: a tab in edit state,
    // an image chosen for the update.
    tool.Click("BtnEditar2");
    QVERIFY(LoadFirmwareImage(tool, dir.filePath("nova.bin")));
    const struct {
        const char* where;
        QPushButton* action;
    } actions[] = {
        {"Ler", tool.Find<QPushButton>("BtnLer2")},
        {"Gravar", tool.Find<QPushButton>("BtnGravar2")},
        {"Apagar todos", tool.Find<QTabWidget>("PageControlSensorRF")->findChild<QPushButton*>("Button2")},
        {"Iniciar (firmware)", app.FirmwareWindow().findChild<QPushButton*>("Button3")},
        {"Iniciar (cadastro)", app.EnrolmentWindow().findChild<QPushButton*>("BtnIniciar")},
        {"Armar", app.DiagnosticWindow().findChild<QPushButton*>("Button1")},
        {"Desarmar", app.DiagnosticWindow().findChild<QPushButton*>("Button2")},
    };
    for (const auto& a : actions) {
        QVERIFY2(a.action && a.action->isEnabled(), a.where);
    }

    tool.Trigger("Biblioteca1");
    app.LibraryWindow().findChild<QPushButton*>("BtnSalvarCentral")->click();
    QVERIFY(app.LibraryWindow().JobRunning());
    for (const auto& a : actions) QVERIFY2(!a.action->isEnabled(), a.where);

    QTRY_COMPARE_WITH_TIMEOUT(tool.dialogs.Texts(),
                              QStringList{"Configuração da central 2024011501 salva na biblioteca (nº 1)."}, 5000);
    for (const auto& a : actions) QVERIFY2(a.action->isEnabled(), a.where);
}

QTEST_MAIN(BusyWindowsTest)
#include "busy_windows_test.moc"
