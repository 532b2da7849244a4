// The installation report of a built snapshot, read back from the PDF with
// pdftotext: the header on every page, a field of each tab by its caption,
// the RF table across pages with its header repeated, "n de N", and what
// changed since the snapshot before; the Wi-Fi password in no spelling
// unless asked for; text that would reorder a line or hide in the HTML
// neutralised; fields a library should not hold cut to their bounds; page
// breaks that keep a heading with its table and the lines to sign with the
// section they close; the note on a newest snapshot kept without the RF
// sensors; and one small report compared whole with its golden copy.

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "core/bytes/text_controls.h"
#include "core/config/panel_backup.h"
#include "core/rf/rf_sensor_record.h"
#include "library/installation_report.h"
#include "sim/virtual_panel.h"
#include "support/planted_password.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

std::vector<std::uint8_t> SensorBytes(int slot, int zone)
{
    RfSensorRecord record{};
    record.serial = 100000 + static_cast<std::uint32_t>(slot);
    record.kind = 1;
    record.zone = static_cast<std::uint16_t>(zone);
    record.user = 1;
    const auto bytes = PackRfSensorRecord(record);
    return {bytes.begin(), bytes.end()};
}

PanelBackup MakeBackup(int sensors)
{
    VirtualPanel panel(VirtualPanel::Options{.model = 51});
    PanelBackup backup{{51, 0x12, 2024011501}, TakenMs(QDateTime(QDate(2026, 12, 10), QTime(4, 5), Qt::UTC)), {}, RfSensorTable{}};
    for (std::uint8_t id : ConfigurationBlockIds()) backup.blocks[id] = *panel.Block(id);
    backup.blocks[6] = {6, 4, 'C', 'a', 's', 'a', 6, 's', 'e', 'g', 'r', 'e', 'd'};
    for (int slot = 1; slot <= sensors; ++slot) backup.rf->emplace(slot, SensorBytes(slot, slot % 64));
    return backup;
}

// A report of a snapshot with no blocks yet: each case adds what it shows.
ReportInput SmallInput()
{
    ReportInput input;
    input.snapshot = PanelBackup{{51, 0x12, 2024011501}, TakenMs(QDateTime(QDate(2026, 12, 10), QTime(14, 5), Qt::UTC)), {}, {}};
    input.info.serial = 2024011501;
    input.info.number = 2;
    input.info.takenBy = QStringLiteral("Ana Souza");
    input.panel.serial = 2024011501;
    input.panel.customer = QStringLiteral("Padaria Estrela");
    input.panel.address = QStringLiteral("Rua das Flores, 12");
    input.toolVersion = QStringLiteral("1.08");
    input.printed = QDateTime(QDate(2026, 12, 11), QTime(9, 0), Qt::UTC);
    return input;
}

ReportInput MakeInput(int sensors)
{
    ReportInput input = SmallInput();
    input.snapshot = MakeBackup(sensors);
    input.previous = MakeBackup(0);
    input.previous->blocks[2] = {2, 0x00, 0x3C, 0x00, 0x3C};
    input.previous->rf.reset();  // taken without the sensors: only the blocks compare
    return input;
}

// The PDF's text, page by page: laid out as printed, or in reading order
// (a table's cells one after another, a wrapped cell in one piece).
QStringList PdfPages(const QByteArray& pdf, bool layout = true)
{
    QTemporaryDir dir;
    QFile file(dir.filePath("report.pdf"));
    file.open(QIODevice::WriteOnly);
    file.write(pdf);
    file.close();
    QProcess pdftotext;
    pdftotext.start("pdftotext", layout ? QStringList{"-layout", file.fileName(), "-"} : QStringList{file.fileName(), "-"});
    if (!pdftotext.waitForFinished(30000) || pdftotext.exitCode() != 0) qFatal("pdftotext failed: is poppler-utils installed?");
    // The font's ligatures ("ﬁ") read back as their letters.
    QStringList pages = QString::fromUtf8(pdftotext.readAllStandardOutput()).normalized(QString::NormalizationForm_KC).split('\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty()) pages.removeLast();
    return pages;
}

QString PdfText(const ReportInput& input) { return PdfPages(ReportToPdf(input).bytes, false).join('\n'); }

// Where the pages break badly, or nothing: a section's heading without its
// table's header and first row after it on its page, or the lines to sign
// at the top of a page, away from the section they close.
QString BadBreak(const QStringList& pages)
{
    QStringList headings{QStringLiteral("Sensores RF"), QStringLiteral("Alterações desde a configuração anterior")};
    for (const ConfigurationTab& tab : ConfigurationTabs()) headings << QString::fromUtf8(tab.caption);
    for (int page = 0; page < pages.size(); ++page) {
        QStringList lines;
        for (const QString& line : pages[page].split('\n')) {
            if (!line.simplified().isEmpty()) lines << line.simplified();
        }
        lines = lines.mid(1, lines.size() - 2);  // without the header and "Página n de N"
        for (int i = 0; i < lines.size(); ++i) {
            if (headings.contains(lines[i]) && i + 2 >= lines.size()) {
                return QStringLiteral("page %1 ends with \"%2\"").arg(page + 1).arg(lines[i]);
            }
        }
        if (!lines.isEmpty() && lines.front().startsWith(QStringLiteral("____"))) {
            return QStringLiteral("page %1 holds the lines to sign alone").arg(page + 1);
        }
    }
    return {};
}

SnapshotInfo Snapshot(int number, const char* reason, bool hasRf)
{
    SnapshotInfo info;
    info.serial = 2024011501;
    info.number = number;
    info.taken = QDateTime(QDate(2026, 12, number), QTime(10, 0), Qt::UTC);
    info.reason = QString::fromLatin1(reason);
    info.hasRf = hasRf;
    return info;
}

Bytes WithPassword(const Bytes& password)
{
    Bytes block{6, 4, 'C', 'a', 's', 'a', static_cast<std::uint8_t>(password.size())};
    block.insert(block.end(), password.begin(), password.end());
    return block;
}

QString GoldenPath(const QString& name) { return QStringLiteral(QUORVEL_REPORT_GOLDEN_DIR "/") + name; }

// Compares a text with its golden file, or with QUORVEL_REWRITE_GOLDEN=1 in
// the environment writes it as the new golden file (to be read and committed).
void CompareWithGolden(const QString& name, const QByteArray& actual)
{
    QFile golden(GoldenPath(name));
    if (qEnvironmentVariableIntValue("QUORVEL_REWRITE_GOLDEN") == 1) {
        QVERIFY(golden.open(QIODevice::WriteOnly | QIODevice::Truncate));
        golden.write(actual);
        return;
    }
    QVERIFY2(golden.open(QIODevice::ReadOnly), qPrintable(golden.fileName()));
    const QByteArray expected = golden.readAll();
    if (actual == expected) return;
    qsizetype at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
    const qsizetype from = std::max<qsizetype>(0, at - 60);
    QFAIL(qPrintable(QStringLiteral("%1 differs from byte %2:\n  made   ...%3\n  golden ...%4")
                         .arg(name)
                         .arg(at)
                         .arg(QString::fromUtf8(actual.mid(from, 160)), QString::fromUtf8(expected.mid(from, 160)))));
}

// pdftotext's layout spaces columns by the font's widths: runs of blanks
// read as one, and blank lines are dropped.
QByteArray NormalisedPdfText(const QStringList& pages)
{
    static const QRegularExpression blanks(QStringLiteral("[ \t]+"));
    QStringList lines;
    for (const QString& page : pages) {
        for (QString line : page.split('\n')) {
            line = line.replace(blanks, QStringLiteral(" ")).trimmed();
            if (!line.isEmpty()) lines << line;
        }
        lines << QStringLiteral("<page>");
    }
    return lines.join('\n').toUtf8() + '\n';
}

}  // namespace

class InstallationReportTest : public QObject {
    Q_OBJECT
public:
    // Times are printed in local time: the golden report is made in UTC.
    static void initMain() { qputenv("TZ", "UTC"); }
private slots:
    void aReportHoldsThePanelPageByPage();
    void secretsAreMaskedInEverySpelling_data();
    void secretsAreMaskedInEverySpelling();
    void textThatMovesTheLayoutIsNeutralised();
    void fieldsPastTheirBoundsAreCut();
    void aSmallReportIsAsItsGoldenCopy();
    void headingsKeepTheirTablesAndTheLinesToSignTheirSection();
    void theNewestKeptWithoutSensorsNamesAnOlderOneWithThem();
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

void InstallationReportTest::secretsAreMaskedInEverySpelling_data()
{
    const Bytes noNetwork{6, 0, 0};
    const Bytes planted = WifiBlockWithPassword();
    Bytes nameless{6, 0};  // no name: the block does not decode into fields
    nameless.insert(nameless.end(), planted.begin() + 6, planted.end());
    Bytes trailingZero = planted;  // the same fields, one more byte
    trailingZero[6] += 1;
    trailingZero.push_back(0);

    QTest::addColumn<Bytes>("before");  // empty: no snapshot before
    QTest::addColumn<Bytes>("now");
    QTest::addColumn<QStringList>("masks");
    const QString dots = QStringLiteral("••••••••");
    const QString hidden = QStringLiteral("(oculto)");
    QTest::newRow("password in fields") << Bytes{} << planted << QStringList{dots};
    QTest::newRow("no name, so only bytes") << Bytes{} << nameless << QStringList{hidden};
    QTest::newRow("first set-up") << noNetwork << planted << QStringList{dots, hidden};
    QTest::newRow("network removed") << planted << noNetwork << QStringList{hidden};
    QTest::newRow("open network now") << planted << Bytes{6, 4, 'C', 'a', 's', 'a', 0} << QStringList{hidden};
    QTest::newRow("password changed") << WithPassword({'a', 'n', 't', 'i', 'g', 'a'}) << planted << QStringList{dots};
    QTest::newRow("bytes differ, fields do not") << planted << trailingZero << QStringList{dots, hidden};
}

// The Wi-Fi password in the block's fields, in its bytes when the block does
// not decode, and in what changed: in neither the HTML nor the PDF, as text
// or as hexadecimal, unless asked for; then it is there whole.
void InstallationReportTest::secretsAreMaskedInEverySpelling()
{
    QFETCH(Bytes, before);
    QFETCH(Bytes, now);
    QFETCH(QStringList, masks);
    ReportInput input = SmallInput();
    input.snapshot.blocks[6] = now;
    if (!before.empty()) {
        input.previous = input.snapshot;
        input.previous->blocks[6] = before;
    }
    const QString html = QString::fromUtf8(ReportHtml(input));
    const QString pdf = PdfText(input);
    for (const QString& shown : {html, pdf}) {
        QVERIFY2(!HoldsPlantedPassword(shown), qPrintable(shown));
        for (const QString& mask : masks) QVERIFY2(shown.contains(mask), qPrintable(mask + "\n" + shown));
    }
    // Asked for, it shows: whole in the HTML, and in the PDF at least as
    // much as the search above looks for (a table cell may wrap its hex).
    input.showSecrets = true;
    QVERIFY2(ShowsPlantedPassword(QString::fromUtf8(ReportHtml(input))), qPrintable(html));
    QVERIFY2(HoldsPlantedPassword(PdfText(input)), qPrintable(pdf));
}

// Customer text and a network name holding a right-to-left override, a line
// separator, an isolate, an escape sequence, a bell, a carriage return and a
// C1 control: none reaches the HTML raw, and the PDF reads in stored order.
void InstallationReportTest::textThatMovesTheLayoutIsNeutralised()
{
    ReportInput input = SmallInput();
    input.panel.customer = QStringLiteral("Padaria \u202Eetsil\u202C Estrela");
    input.panel.address = QStringLiteral("Rua das Flores\u2028 12\r");
    input.panel.notes = QStringLiteral("Portão \x1b[2J\x07 lateral\nChave na \u2066portaria\u2069");
    input.info.takenBy = QStringLiteral("Ana\u200F Souza\u0085");
    input.snapshot.blocks[6] = {6, 6, 0x1B, '[', '2', 'J', 0x07, 0x81, 1, 'x'};
    const QString html = QString::fromUtf8(ReportHtml(input));
    for (const QChar c : html) {
        QVERIFY2(c == '\n' || !(IsControlCharacter(c.unicode()) || IsLayoutControl(c.unicode())),
                 qPrintable(QString::number(c.unicode(), 16)));
    }
    for (const char* kept : {"Padaria \xEF\xBF\xBD" "etsil\xEF\xBF\xBD Estrela", "Portão \xEF\xBF\xBD[2J\xEF\xBF\xBD lateral<br>Chave",
                             "\xEF\xBF\xBD[2J\xEF\xBF\xBD\xEF\xBF\xBD"}) {
        QVERIFY2(html.contains(QString::fromUtf8(kept)), kept);
    }
    const QString pdf = PdfText(input);
    QVERIFY2(pdf.contains("etsil") && !pdf.contains("liste"), qPrintable(pdf));
    for (const QChar c : pdf) QVERIFY(c == '\n' || c == '\f' || !IsReplacedWhenShown(c.unicode()));
}

// A library written by an older tool may hold fields of megabytes: the
// report cuts each to its bound, so it is as long as one at the bounds and
// as quick to make (bench/report_bench times the worst case).
void InstallationReportTest::fieldsPastTheirBoundsAreCut()
{
    const auto fill = [](ReportInput& input, qsizetype customer, qsizetype address, qsizetype notes) {
        input.panel.customer = QString(customer, QChar(u'c'));
        input.panel.address = QString(address, QChar(u'e'));
        input.panel.notes = QStringLiteral("linha de observação\n").repeated(notes / 20);
    };
    ReportInput bounded = SmallInput();
    fill(bounded, kMaxCustomerLength, kMaxAddressLength, kMaxNotesLength);
    ReportInput huge = SmallInput();
    fill(huge, 2'000'000, 1'000'000, 600'000);
    QCOMPARE(ReportToPdf(huge).pages, ReportToPdf(bounded).pages);
    const QString html = QString::fromUtf8(ReportHtml(huge));
    QVERIFY(html.contains(QString(kMaxCustomerLength, QChar(u'c')) + QChar(0x2026)));
    QVERIFY(!html.contains(QString(kMaxCustomerLength + 1, QChar(u'c'))));
    QVERIFY(!html.contains(QString(kMaxAddressLength + 1, QChar(u'e'))));
    // A character outside the first plane is never cut in half.
    ReportInput astral = SmallInput();
    astral.panel.customer = QString(kMaxCustomerLength - 1, QChar(u'c')) + QStringLiteral("\U0001F600\U0001F600");
    QVERIFY(QString::fromUtf8(ReportHtml(astral)).contains(QString(kMaxCustomerLength - 1, QChar(u'c')) + QChar(0x2026)));
}

// One small report compared whole, HTML and the PDF's text, so that stray
// or missing text anywhere (the doctype, a table row, a caption, the lines
// to sign) shows. After an intended change of the report, rewrite the
// golden files with QUORVEL_REWRITE_GOLDEN=1 and read the difference.
void InstallationReportTest::aSmallReportIsAsItsGoldenCopy()
{
    ReportInput input = SmallInput();
    input.panel.notes = QStringLiteral("Chave com o zelador.\nCão no quintal & <portão> azul.");
    input.snapshot.blocks = {{2, {2, 0x01, 0x2C, 0x00, 0x3C}},
                             {6, WithPassword({'s', 'e', 'g', 'r', 'e', 'd', 'o'})},
                             {24, {24, 0x01, 5, 10, 20, 3}},
                             {26, {26, 0x01, 0x07}}};  // one byte too long: shown as bytes
    input.snapshot.rf = RfSensorTable{{1, SensorBytes(1, 5)}, {2, SensorBytes(2, 7)}};
    input.previous = input.snapshot;
    input.previous->takenMs = TakenMs(QDateTime(QDate(2026, 11, 2), QTime(8, 30), Qt::UTC));
    input.previous->blocks[2] = {2, 0x00, 0x3C, 0x00, 0x3C};
    input.previous->rf = RfSensorTable{{1, SensorBytes(1, 5)}, {2, SensorBytes(2, 6)}, {3, SensorBytes(3, 9)}};
    CompareWithGolden(QStringLiteral("report.html"), ReportHtml(input));
    CompareWithGolden(QStringLiteral("report.txt"), NormalisedPdfText(PdfPages(ReportToPdf(input).bytes)));
    QCOMPARE(SuggestedReportName(2024011501, TakenTime(input.snapshot)), QStringLiteral("Relatorio_2024011501_10122026.pdf"));
}

void InstallationReportTest::headingsKeepTheirTablesAndTheLinesToSignTheirSection()
{
    // Each line of notes moves all below it a line down: over a dozen of
    // them some heading meets the foot of a page.
    for (int lines = 0; lines < 12; ++lines) {
        ReportInput input = MakeInput(3);
        input.panel.notes = QStringList(lines, QStringLiteral("nota")).join('\n');
        const QString bad = BadBreak(PdfPages(ReportToPdf(input).bytes));
        QVERIFY2(bad.isEmpty(), qPrintable(QStringLiteral("%1 lines of notes: %2").arg(lines).arg(bad)));
    }

    // The RF table last, grown until the lines to sign no longer fit below it.
    ReportInput input = MakeInput(0);
    input.previous.reset();
    const auto withSensors = [&input](int sensors) {
        input.snapshot = MakeBackup(sensors);
        return ReportToPdf(input);
    };
    const int pages = withSensors(4).pages;
    int fits = 4;
    int overflows = 200;
    QVERIFY(withSensors(overflows).pages > pages);
    while (overflows - fits > 1) {
        const int middle = (fits + overflows) / 2;
        (withSensors(middle).pages > pages ? overflows : fits) = middle;
    }
    for (int sensors = fits; sensors <= overflows + 1; ++sensors) {
        const QString bad = BadBreak(PdfPages(withSensors(sensors).bytes));
        QVERIFY2(bad.isEmpty(), qPrintable(QStringLiteral("%1 sensors: %2").arg(sensors).arg(bad)));
    }
}

void InstallationReportTest::theNewestKeptWithoutSensorsNamesAnOlderOneWithThem()
{
    const char* manual = "manual";
    const char* restore = "before restore";
    const char* update = "before firmware update";
    const struct {
        const char* name;
        std::vector<SnapshotInfo> history;
        int older;  // 0: none
    } cases[] = {
        {"kept before a restore", {Snapshot(1, manual, true), Snapshot(2, restore, false)}, 1},
        {"the newest older one with them",
         {Snapshot(1, manual, true), Snapshot(2, manual, true), Snapshot(3, manual, false), Snapshot(4, update, false)}, 2},
        {"taken by hand without them", {Snapshot(1, manual, true), Snapshot(2, manual, false)}, 0},
        {"the newest has them", {Snapshot(1, manual, true), Snapshot(2, restore, true)}, 0},
        {"none has them", {Snapshot(1, manual, false), Snapshot(2, restore, false)}, 0},
        {"no history", {}, 0},
    };
    for (const auto& c : cases) {
        const std::optional<SnapshotInfo> older = OlderSnapshotWithRf(c.history);
        QVERIFY2(older.has_value() == (c.older != 0), c.name);
        if (older) QVERIFY2(older->number == c.older, c.name);
    }

    ReportInput input = SmallInput();
    input.info = Snapshot(2, restore, false);
    input.olderWithRf = Snapshot(1, manual, true);
    QVERIFY(PdfText(input).simplified().contains(QStringLiteral(
        "Esta configuração (2024011501@2), a mais recente, foi guardada automaticamente antes de uma restauração, "
        "sem os sensores RF. A configuração 2024011501@1, lida em 01/12/2026 10:00, tem os sensores RF.")));
}

QTEST_MAIN(InstallationReportTest)
#include "installation_report_test.moc"
