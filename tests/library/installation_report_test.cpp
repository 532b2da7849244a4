// The installation report of a built snapshot, read back from the PDF with
// pdftotext: the header on every page, a field of each tab by its caption,
// the RF table across pages with its header repeated, the masked password,
// "n de N", and what changed since the snapshot before.

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "core/config/panel_backup.h"
#include "core/rf/rf_sensor_record.h"
#include "library/installation_report.h"
#include "sim/virtual_panel.h"

namespace {

PanelBackup MakeBackup(int sensors)
{
    VirtualPanel panel(VirtualPanel::Options{.model = 51});
    PanelBackup backup{{51, 0x12, 2024011501}, QDateTime(QDate(2026, 12, 10), QTime(4, 5), Qt::UTC), {}, RfSensorTable{}};
    for (std::uint8_t id : ConfigurationBlockIds()) backup.blocks[id] = *panel.Block(id);
    backup.blocks[6] = {6, 4, 'C', 'a', 's', 'a', 6, 's', 'e', 'g', 'r', 'e', 'd'};
    for (int slot = 1; slot <= sensors; ++slot) {
        RfSensorRecord record{};
        record.serial = 100000 + static_cast<std::uint32_t>(slot);
        record.kind = 1;
        record.zone = static_cast<std::uint16_t>(slot % 64);
        record.user = 1;
        const auto bytes = PackRfSensorRecord(record);
        backup.rf->emplace(slot, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    }
    return backup;
}

ReportInput MakeInput(int sensors)
{
    ReportInput input;
    input.snapshot = MakeBackup(sensors);
    input.info.serial = 2024011501;
    input.info.number = 2;
    input.info.takenBy = QStringLiteral("Ana Souza");
    input.panel.serial = 2024011501;
    input.panel.customer = QStringLiteral("Padaria Estrela");
    input.panel.address = QStringLiteral("Rua das Flores, 12");
    input.previous = MakeBackup(0);
    input.previous->blocks[2] = {2, 0x00, 0x3C, 0x00, 0x3C};
    input.previous->rf.reset();  // taken without the sensors: only the blocks compare
    input.toolVersion = QStringLiteral("1.08");
    input.printed = QDateTime(QDate(2026, 12, 11), QTime(9, 0), Qt::UTC);
    return input;
}

// The PDF's text, page by page.
QStringList PdfPages(const QByteArray& pdf)
{
    QTemporaryDir dir;
    QFile file(dir.filePath("report.pdf"));
    file.open(QIODevice::WriteOnly);
    file.write(pdf);
    file.close();
    QProcess pdftotext;
    pdftotext.start("pdftotext", {"-layout", file.fileName(), "-"});
    if (!pdftotext.waitForFinished(30000) || pdftotext.exitCode() != 0) qFatal("pdftotext failed: is poppler-utils installed?");
    // The font's ligatures ("ﬁ") read back as their letters.
    QStringList pages = QString::fromUtf8(pdftotext.readAllStandardOutput()).normalized(QString::NormalizationForm_KC).split('\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty()) pages.removeLast();
    return pages;
}

}  // namespace

class InstallationReportTest : public QObject {
    Q_OBJECT
private slots:
    void aReportHoldsThePanelPageByPage();
    void secretsAreShownOnlyWhenAsked();
};

void InstallationReportTest::aReportHoldsThePanelPageByPage()
{
    const ReportInput input = MakeInput(120);
    const ReportPdf pdf = ReportToPdf(input);
    const QStringList pages = PdfPages(pdf.bytes);
    QCOMPARE(pages.size(), pdf.pages);
    QVERIFY2(pdf.pages >= 3, qPrintable(QString::number(pdf.pages)));
    for (int i = 0; i < pages.size(); ++i) {
        QVERIFY2(pages[i].contains("Quorvel 1.08") && pages[i].contains("Serial 2024011501") &&
                     pages[i].contains("Firmware V1.02"),
                 qPrintable(pages[i].left(300)));
        QVERIFY(pages[i].contains(QStringLiteral("Página %1 de %2").arg(i + 1).arg(pages.size())));
    }
    const QString text = pages.join('\n');
    for (const char* expected : {"Cliente", "Padaria Estrela", "Rua das Flores, 12", "Instalador", "Ana Souza",
                                 "Número IP e Porta", "Numero IP 1", "Nome da rede (SSID)", "Tempo envio dados simcard",
                                 "Tipo sensor 1", "Polaridade da sirene", "Endereço teclado", "Função cofre",
                                 "Função alarme"}) {
        QVERIFY2(text.contains(QString::fromUtf8(expected)), expected);
    }
    // The password is masked; the RF table runs over pages, its header
    // repeated on each, its first and last rows whole.
    QVERIFY(!text.contains("segred"));
    QVERIFY(text.contains(QStringLiteral("••••••••")));
    QVERIFY(QRegularExpression(QStringLiteral("\\n\\s*1\\s+100001\\s+Sensor PIR")).match(text).hasMatch());
    QVERIFY(QRegularExpression(QStringLiteral("\\n\\s*120\\s+100120\\s+Sensor PIR")).match(text).hasMatch());
    int pagesWithSensors = 0;
    for (const QString& page : pages) {
        if (!page.contains(QRegularExpression(QStringLiteral("\\s100\\d\\d\\d\\s")))) continue;
        ++pagesWithSensors;
        QVERIFY2(page.contains(QRegularExpression(QStringLiteral("Posição\\s+Serial\\s+Tipo\\s+Zona"))), qPrintable(page));
    }
    QVERIFY(pagesWithSensors >= 2);
    // What changed since the snapshot before, field by field.
    QVERIFY(text.contains(QStringLiteral("Alterações desde a configuração anterior")));
    QVERIFY(QRegularExpression(QStringLiteral("Intervalo de envio msg polling\\s+60\\s+300")).match(text).hasMatch());
    QVERIFY(text.contains(QStringLiteral("Nome da rede (SSID)")));
    QVERIFY(text.contains("Instalador") && text.contains("Cliente"));
}

void InstallationReportTest::secretsAreShownOnlyWhenAsked()
{
    ReportInput input = MakeInput(0);
    QVERIFY(!ReportHtml(input).contains("segred"));
    input.showSecrets = true;
    const QByteArray html = ReportHtml(input);
    QVERIFY(html.contains("segred"));
    QVERIFY(html.contains("<thead>") && html.contains("Padaria Estrela"));
    QCOMPARE(SuggestedReportName(2024011501, input.snapshot.taken), QStringLiteral("Relatorio_2024011501_10122026.pdf"));
}

QTEST_MAIN(InstallationReportTest)
#include "installation_report_test.moc"
