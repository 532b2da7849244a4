// The library window, opened from the main menu with no panel connected:
// browse and search the panels, edit a customer's fields, compare two
// snapshots, export one, import a backup file, write a report; and a
// library file that is not one, reported and left untouched.

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "core/config/panel_backup.h"
#include "jobs/job_gate.h"
#include "ui/firmware/form_atualizacao.h"
#include "library/panel_library.h"
#include "support/planted_password.h"
#include "support/tool_harness.h"
#include "ui/library/form_biblioteca.h"

namespace {

PanelBackup MakeBackup(quint32 serial, int minute, std::uint8_t pollingLow)
{
    VirtualPanel panel(VirtualPanel::Options{.model = 51});
    PanelBackup backup{{51, 0x12, serial}, TakenMs(QDateTime(QDate(2026, 12, 1), QTime(9, minute), Qt::UTC)), {}, std::nullopt};
    for (std::uint8_t id : ConfigurationBlockIds()) backup.blocks[id] = *panel.Block(id);
    backup.blocks[2] = {2, 0x01, pollingLow, 0x00, 0x3C};
    return backup;
}

QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

// Loads a 3-packet image for model 51 in the firmware window and clicks
// "Iniciar"; false when the image could not be written.
bool StartUpdate(ToolHarness& tool, const QString& image)
{
    if (!LoadFirmwareImage(tool, image)) return false;
    tool.App().FirmwareWindow().findChild<QPushButton*>("Button3")->click();
    return true;
}

}  // namespace

class LibraryWindowTest : public QObject {
    Q_OBJECT
private slots:
    void browsesComparesExportsImportsAndReports();
    void aFileThatIsNoLibraryIsLeftAlone();
    void savesComparesAndRestoresTheConnectedPanel();
    void keepsThePanelBeforeAFirmwareUpdate();
    void closingTheWindowDuringASaveCancelsIt();
    void theSnapshotBeforeAnUpdateCanBeCancelled();
};

void LibraryWindowTest::browsesComparesExportsImportsAndReports()
{
    QTemporaryDir dir;
    const QString location = dir.filePath("library.sqlite");
    {
        auto library = PanelLibrary::Open(*ParseLibraryLocation(location).location);
        QVERIFY2(library.Ok(), qPrintable(library.error));
        for (int i = 0; i < 2; ++i) {
            PanelBackup backup = MakeBackup(2024011501, i, i == 0 ? 0x2C : 0x2D);
            // The Wi-Fi set up between the two: compared as bytes, which hold the password.
            backup.blocks[6] = i == 0 ? std::vector<std::uint8_t>{6, 0, 0} : WifiBlockWithPassword();
            QVERIFY((*library.value)
                        ->StoreSnapshot(backup, {"ana", SnapshotReason::Manual, {}, "1.08",
                                                 QDateTime(QDate(2026, 12, 10), QTime(4, 5), Qt::UTC)})
                        .Ok());
        }
    }
    ToolHarness tool;
    QString remembered;
    tool.Start({.library = location, .rememberLibrary = [&](const QString& chosen) { remembered = chosen; }});
    tool.Trigger("Biblioteca1");
    QCOMPARE(tool.dialogs.WindowsShown(), QStringList{"FormBiblioteca"});
    TFormBiblioteca& window = tool.App().LibraryWindow();
    auto* panels = window.findChild<QTableWidget*>("GridCentrais");
    auto* snapshots = window.findChild<QTableWidget*>("GridRetratos");
    auto* differences = window.findChild<QTableWidget*>("GridDiferencas");
    QCOMPARE(panels->rowCount(), 1);
    QCOMPARE(panels->item(0, 0)->text(), QStringLiteral("2024011501"));

    // The customer's fields, saved and found by the search.
    window.SelectPanel(2024011501);
    QCOMPARE(snapshots->rowCount(), 2);
    // A right-to-left override in it is shown, not obeyed, in the list.
    window.findChild<QLineEdit*>("EditCliente")->setText(QStringLiteral("Padaria Estrela \u202Eolos"));
    window.findChild<QPlainTextEdit*>("MemoObservacoes")->setPlainText(QStringLiteral("Sirene no fundo"));
    window.findChild<QPushButton*>("BtnSalvarDados")->click();
    auto* search = window.findChild<QLineEdit*>("EditBusca");
    search->setText(QStringLiteral("ESTRELA"));
    QCOMPARE(panels->rowCount(), 1);
    search->setText(QStringLiteral("nada assim"));
    QCOMPARE(panels->rowCount(), 0);
    search->clear();
    QCOMPARE(panels->item(0, 4)->text(), QStringLiteral("Padaria Estrela \uFFFDolos"));
    window.SelectPanel(2024011501);
    QCOMPARE(window.findChild<QPlainTextEdit*>("MemoObservacoes")->toPlainText(), QStringLiteral("Sirene no fundo"));
    // Fields past the library's bounds: the edits take no more, and notes
    // too long are refused whole, with nothing saved.
    QCOMPARE(window.findChild<QLineEdit*>("EditCliente")->maxLength(), kMaxCustomerLength);
    QCOMPARE(window.findChild<QLineEdit*>("EditEndereco")->maxLength(), kMaxAddressLength);
    tool.dialogs.Clear();
    window.findChild<QPlainTextEdit*>("MemoObservacoes")->setPlainText(QString(kMaxNotesLength + 1, 'n'));
    window.findChild<QPushButton*>("BtnSalvarDados")->click();
    QCOMPARE(tool.dialogs.Texts(), QStringList{QStringLiteral("As observações têm 4001 caracteres; o máximo é 4000. Os "
                                                              "dados do cliente não foram salvos.")});
    tool.dialogs.Clear();
    QCOMPARE(window.findChild<QPlainTextEdit*>("MemoObservacoes")->toPlainText().size(), kMaxNotesLength + 1);
    window.findChild<QPlainTextEdit*>("MemoObservacoes")->setPlainText(QStringLiteral("Sirene no fundo"));

    // Two snapshots compared field by field.
    snapshots->selectAll();
    window.findChild<QPushButton*>("BtnComparar")->click();
    QCOMPARE(differences->rowCount(), 2);
    QCOMPARE(differences->item(0, 1)->text(), QStringLiteral("Intervalo de envio msg polling"));
    QCOMPARE(differences->item(0, 2)->text(), QStringLiteral("300"));
    QCOMPARE(differences->item(0, 3)->text(), QStringLiteral("301"));
    QCOMPARE(differences->item(1, 1)->text(), QStringLiteral("Bytes"));
    QCOMPARE(differences->item(1, 2)->text(), QStringLiteral("(oculto)"));
    QCOMPARE(differences->item(1, 3)->text(), QStringLiteral("(oculto)"));

    // The first exported, then imported under another panel's serial.
    snapshots->clearSelection();
    snapshots->selectRow(0);
    const QString exported = dir.filePath("exported.json");
    tool.dialogs.saveAnswers.push_back(exported);
    window.findChild<QPushButton*>("BtnExportar")->click();
    QByteArray json = FileBytes(exported);
    QVERIFY(json.contains("\"serial\": 2024011501"));
    json.replace("\"serial\": 2024011501", "\"serial\": 77");
    const QString other = dir.filePath("other.json");
    {
        QFile file(other);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(json);
    }
    tool.dialogs.files.push_back(other);
    window.findChild<QPushButton*>("BtnImportar")->click();
    QCOMPARE(panels->rowCount(), 2);
    QCOMPARE(window.SelectedSerial(), std::optional<quint32>(77));
    QCOMPARE(snapshots->item(0, 4)->text(), QStringLiteral("importado"));

    // A report of the selected snapshot, offered to be opened (declined).
    const QString report = dir.filePath("relatorio.pdf");
    tool.dialogs.saveAnswers.push_back(report);
    window.findChild<QPushButton*>("BtnRelatorio")->click();
    QVERIFY(FileBytes(report).startsWith("%PDF-"));
    const QStringList boxes = tool.dialogs.Texts();
    QVERIFY2(boxes.filter(QStringLiteral("Relatório gravado em %1").arg(report)).size() == 1, qPrintable(boxes.join('\n')));
    QCOMPARE(remembered, QString());
    tool.dialogs.FailOnUnseenBoxes();
}

void LibraryWindowTest::aFileThatIsNoLibraryIsLeftAlone()
{
    QTemporaryDir dir;
    const QString location = dir.filePath("library.sqlite");
    const QByteArray garbage(2048, 'x');
    {
        QFile file(location);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(garbage);
    }
    ToolHarness tool;
    tool.Start({.library = location});
    tool.Trigger("Biblioteca1");
    const QStringList boxes = tool.dialogs.Texts();
    QCOMPARE(boxes.size(), 1);
    QVERIFY2(boxes[0].startsWith("Não foi possível abrir a biblioteca") && boxes[0].contains(location) &&
                 boxes[0].contains("damaged or is not a library"),
             qPrintable(boxes[0]));
    QCOMPARE(FileBytes(location), garbage);
    QCOMPARE(tool.App().LibraryWindow().findChild<QTableWidget*>("GridCentrais")->rowCount(), 0);
}

// Against a software panel: its configuration saved, changed on the panel,
// compared, then restored with the plan shown and read back, what the panel
// held kept first.
void LibraryWindowTest::savesComparesAndRestoresTheConnectedPanel()
{
    ToolHarness tool;
    PanelHost& host = tool.StartConnected();
    // Identified on the port: recorded before anyone opens the library.
    {
        auto library = PanelLibrary::Open(tool.App().LibraryWindow().Library()->Location());
        QVERIFY((*library.value)->Panel(2024011501).value->has_value());
    }
    tool.Trigger("Biblioteca1");
    TFormBiblioteca& window = tool.App().LibraryWindow();
    auto* snapshots = window.findChild<QTableWidget*>("GridRetratos");
    auto* differences = window.findChild<QTableWidget*>("GridDiferencas");
    window.findChild<QLineEdit*>("EditInstalador")->setText(QStringLiteral("Bia"));
    auto* save = window.findChild<QPushButton*>("BtnSalvarCentral");
    save->click();
    // A second click while the panel is read starts no second job.
    QVERIFY(!save->isEnabled());
    QVERIFY(!tool.Find<QPushButton>("BtnLer2")->isEnabled());
    save->click();
    QTRY_COMPARE_WITH_TIMEOUT(tool.dialogs.Texts(), QStringList{"Configuração da central 2024011501 salva na biblioteca (nº 1)."}, 5000);
    QVERIFY(save->isEnabled());
    QVERIFY(tool.Find<QPushButton>("BtnLer2")->isEnabled());
    QCOMPARE(window.SelectedSerial(), std::optional<quint32>(2024011501));
    QCOMPARE(snapshots->rowCount(), 1);
    QCOMPARE(snapshots->item(0, 3)->text(), QStringLiteral("Bia"));

    // Changed on the panel since: the comparison names the field.
    host.Panel().SetBlock({2, 0x00, 0x3C, 0x00, 0x3C});
    snapshots->selectRow(0);
    window.findChild<QPushButton*>("BtnCompararCentral")->click();
    QTRY_COMPARE_WITH_TIMEOUT(differences->rowCount(), 1, 5000);
    QCOMPARE(differences->item(0, 2)->text(), QStringLiteral("300"));
    QCOMPARE(differences->item(0, 3)->text(), QStringLiteral("60"));

    // Declined: nothing written, nothing kept.
    const std::size_t writes = host.Panel().CommandCount(kWrite);
    window.findChild<QPushButton*>("BtnRestaurar")->click();
    QTRY_COMPARE_WITH_TIMEOUT(tool.dialogs.Texts().size(), 2, 5000);
    QStringList boxes = tool.dialogs.Texts();
    QVERIFY2(boxes[1].startsWith("Serão gravados na central 2024011501 os blocos:\nCONFIGURAÇÃO INTERVALO DE POLLING\n"),
             qPrintable(boxes[1]));
    QCOMPARE(host.Panel().CommandCount(kWrite), writes);
    QCOMPARE(snapshots->rowCount(), 1);

    // Confirmed: the block written and read back, the panel's own kept first.
    tool.dialogs.answers.push_back(true);
    window.findChild<QPushButton*>("BtnRestaurar")->click();
    QTRY_COMPARE_WITH_TIMEOUT(tool.dialogs.Texts().size(), 4, 5000);
    boxes = tool.dialogs.Texts();
    QCOMPARE(boxes.last(), QStringLiteral("Configuração restaurada na central. Blocos gravados: Intervalo de polling (bloco 2). "
                                           "Não gravados: nenhum."));
    QCOMPARE(host.Panel().Block(2), (std::optional<std::vector<std::uint8_t>>{{2, 0x01, 0x2C, 0x00, 0x3C}}));
    QCOMPARE(host.Panel().CommandCount(kWrite), writes + 1);
    QCOMPARE(snapshots->rowCount(), 2);
    QCOMPARE(snapshots->item(1, 4)->text(), QStringLiteral("antes de restaurar"));
    tool.dialogs.FailOnUnseenBoxes();
}

void LibraryWindowTest::keepsThePanelBeforeAFirmwareUpdate()
{
    QTemporaryDir dir;
    ToolHarness tool;
    tool.StartConnected();
    TFormAtualizacao& firmware = tool.App().FirmwareWindow();
    auto* start = firmware.findChild<QPushButton*>("Button3");
    QVERIFY(StartUpdate(tool, dir.filePath("nova.bin")));
    // The snapshot is part of the run: the window is running from the click.
    QCOMPARE(start->text(), QStringLiteral("Cancelar"));
    QCOMPARE(firmware.findChild<QLabel*>("Label3")->text(), QStringLiteral("Guardando a configuração da central na biblioteca…"));
    QVERIFY(!firmware.findChild<QPushButton*>("Button1")->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(firmware.Machine().UpdateRunning(), 5000);
    auto library = PanelLibrary::Open(tool.App().LibraryWindow().Library()->Location());
    const auto history = (*library.value)->History(2024011501);
    QCOMPARE(history.value->size(), std::size_t{1});
    QCOMPARE(history.value->front().reason, SnapshotReason::BeforeFirmwareUpdate);
}

// Closed three exchanges into a save: the read stops, nothing is stored,
// no box comes later, and the panel is free again.
void LibraryWindowTest::closingTheWindowDuringASaveCancelsIt()
{
    ToolHarness tool;
    PanelHost& host = tool.StartConnected();
    tool.Trigger("Biblioteca1");
    TFormBiblioteca& window = tool.App().LibraryWindow();
    // Closed from the third block's progress, while the read is under way.
    auto* job = window.findChild<PanelJob*>();
    QVERIFY(job);
    QObject::connect(job, &PanelJob::Progress, &window, [&window](PanelJob::Stage stage, int done) {
        if (stage == PanelJob::Stage::ReadingBlocks && done == 3) window.close();
    });
    window.findChild<QPushButton*>("BtnSalvarCentral")->click();
    QTRY_VERIFY_WITH_TIMEOUT(!window.JobRunning(), 5000);
    QVERIFY(tool.Find<QPushButton>("BtnLer2")->isEnabled());
    const std::size_t readsAfter = host.Panel().CommandCount(kRead);
    // Whatever the cancelled job left queued runs now: it asks and tells nothing.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    QCOMPARE(host.Panel().CommandCount(kRead), readsAfter);
    QVERIFY2(tool.dialogs.Texts().isEmpty(), qPrintable(tool.dialogs.Texts().join('|')));
    auto library = PanelLibrary::Open(window.Library()->Location());
    QCOMPARE((*library.value)->History(2024011501).value->size(), std::size_t{0});
}

// "Cancelar" during the snapshot before an update: no update, no box.
void LibraryWindowTest::theSnapshotBeforeAnUpdateCanBeCancelled()
{
    QTemporaryDir dir;
    ToolHarness tool;
    tool.StartConnected();
    TFormAtualizacao& firmware = tool.App().FirmwareWindow();
    auto* start = firmware.findChild<QPushButton*>("Button3");
    QVERIFY(StartUpdate(tool, dir.filePath("nova.bin")));
    QVERIFY(start->isEnabled());
    start->click();
    QCOMPARE(start->text(), QStringLiteral("Iniciar"));
    // Back once the read's last exchange is answered, not before: a click
    // meanwhile would find the snapshot still running.
    QVERIFY(!start->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(!JobGate::Of(tool.Session()).Busy(), 5000);
    QVERIFY(start->isEnabled());
    QVERIFY(!firmware.Machine().UpdateRunning());
    QCOMPARE(tool.dialogs.Texts(), QStringList{});
}

QTEST_MAIN(LibraryWindowTest)
#include "library_window_test.moc"
