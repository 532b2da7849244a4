#include "library/installation_report.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QFont>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSet>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <algorithm>
#include <cmath>
#include <vector>

#include "core/bytes/text_controls.h"
#include "core/config/block_fields.h"
#include "core/config/panel_backup.h"
#include "core/panel/block_table.h"
#include "core/panel/device_identity.h"
#include "core/rf/rf_sensor_fields.h"
#include "library/backup_compare.h"

namespace {

constexpr int kPdfResolution = 300;
// The installer's name is a name like the customer's.
constexpr int kMaxInstallerLength = kMaxCustomerLength;

// Text from the panel, a file or the library, made safe to place in the
// HTML: escaped, and each control character (ESC, BEL, CR, C1) or mark that
// reorders or breaks a line (U+202E, U+2028, ...) replaced by U+FFFD. A
// visible mark rather than nothing: the reader sees that the text held
// something not shown, and its words stay in the order they were stored.
QString Html(const QString& text)
{
    QString clean = text;
    for (QChar& c : clean) {
        if (IsReplacedWhenShown(c.unicode())) c = QChar::ReplacementCharacter;
    }
    return clean.toHtmlEscaped();
}
QString Html(const std::string& text) { return Html(QString::fromStdString(text)); }

// A field cut to its bound, an ellipsis saying so: a library written by an
// older tool may hold longer ones, and a report stays a few pages.
QString Bounded(const QString& text, int bound)
{
    if (text.size() <= bound) return text;
    qsizetype cut = bound;
    if (text[cut - 1].isHighSurrogate()) --cut;  // never half a character
    return text.left(cut) + QChar(0x2026);
}

QString Shown(const std::string& caption, const std::string& value, bool secret, bool showSecrets)
{
    return Html(ShownValue(caption, value, secret, showSecrets));
}

QString DateTimeText(const QDateTime& time) { return time.toLocalTime().toString(QStringLiteral("dd/MM/yyyy HH:mm")); }

QString PanelLine(const ReportInput& input)
{
    const Identification& panel = input.snapshot.panel;
    return QStringLiteral("%1 (modelo %2) · Serial %3 · Firmware %4")
        .arg(QString::fromStdString(ModelDisplayName(panel.model)))
        .arg(panel.model)
        .arg(panel.serial)
        .arg(QString::fromStdString(VersionText(panel.version)));
}

// The line at the top of every page.
QString PageHeader(const ReportInput& input)
{
    return QStringLiteral("Quorvel %1 — %2 · Configuração de %3")
        .arg(input.toolVersion, PanelLine(input), DateTimeText(TakenTime(input.snapshot)));
}

// One section of the report after the customer's: a heading, what stands
// before its table, and the table (or, with no rows, what says so).
struct Section {
    QString heading;
    QString intro;  // HTML
    QStringList header;
    QList<QStringList> rows;
    QString whenEmpty;  // HTML shown instead of an empty table
};

// Where the printed report breaks its pages on purpose, found by laying it
// out (PaginatedReport): before a heading that would end a page with too
// little of its table, and before the last rows of the last table, which
// then go with the lines to sign.
struct PageBreaks {
    QSet<int> beforeHeading;  // by the section's index
    int rowsWithSignature = 0;
};

QString Table(const QStringList& header, const QList<QStringList>& rows, bool newPage = false)
{
    QString html = newPage ? QStringLiteral("<table style=\"page-break-before: always\" ") : QStringLiteral("<table ");
    html += QStringLiteral("width=\"100%\" cellspacing=\"0\" cellpadding=\"3\" border=\"1\"><thead><tr>");
    // A field's caption takes the larger part of a two-column table.
    for (const QString& cell : header) {
        const QString width = header.size() == 2 && cell == header.front() ? QStringLiteral(" width=\"60%\"") : QString();
        html += QStringLiteral("<th align=\"left\" bgcolor=\"#e4e4e4\"%1>%2</th>").arg(width, cell);
    }
    html += QStringLiteral("</tr></thead>");
    for (const QStringList& row : rows) {
        html += QStringLiteral("<tr>");
        for (const QString& cell : row) html += QStringLiteral("<td>%1</td>").arg(cell);
        html += QStringLiteral("</tr>");
    }
    return html + QStringLiteral("</table>");
}

QString SnapshotName(const SnapshotInfo& info) { return QStringLiteral("%1@%2").arg(info.serial).arg(info.number); }

// Why a snapshot was kept automatically, or nothing for one taken by hand.
std::optional<QString> AutomaticReason(const SnapshotInfo& info)
{
    if (info.reason == SnapshotReasonText(SnapshotReason::BeforeRestore)) return QStringLiteral("antes de uma restauração");
    if (info.reason == SnapshotReasonText(SnapshotReason::BeforeFirmwareUpdate)) {
        return QStringLiteral("antes de uma atualização de firmware");
    }
    return std::nullopt;
}

QString CustomerSection(const ReportInput& input)
{
    const auto row = [](const QString& caption, const QString& value) {
        return QStringLiteral("<tr><td width=\"28%\"><b>%1</b></td><td>%2</td></tr>").arg(caption, value);
    };
    QString html = QStringLiteral("<h1>Relatório de instalação</h1><table width=\"100%\" cellpadding=\"2\">");
    html += row(QStringLiteral("Central"), Html(PanelLine(input)));
    html += row(QStringLiteral("Configuração lida em"), DateTimeText(TakenTime(input.snapshot)));
    if (input.olderWithRf) {
        html += row(QStringLiteral("Atenção"),
                    QStringLiteral("Esta configuração (%1), a mais recente, foi guardada automaticamente %2, sem os "
                                   "sensores RF. A configuração %3, lida em %4, tem os sensores RF.")
                        .arg(SnapshotName(input.info), AutomaticReason(input.info).value_or(QString()),
                             SnapshotName(*input.olderWithRf), DateTimeText(input.olderWithRf->taken)));
    }
    html += row(QStringLiteral("Cliente"), Html(Bounded(input.panel.customer, kMaxCustomerLength)));
    html += row(QStringLiteral("Endereço"), Html(Bounded(input.panel.address, kMaxAddressLength)));
    html += row(QStringLiteral("Observações"),
                Html(Bounded(input.panel.notes, kMaxNotesLength)).replace('\n', QStringLiteral("<br>")));
    html += row(QStringLiteral("Instalador"), Html(Bounded(input.info.takenBy, kMaxInstallerLength)));
    html += row(QStringLiteral("Data"), input.printed.toLocalTime().toString(QStringLiteral("dd/MM/yyyy")));
    return html + QStringLiteral("</table>");
}

void AddBlockSections(const ReportInput& input, QList<Section>& sections)
{
    for (const ConfigurationTab& tab : ConfigurationTabs()) {
        QList<QStringList> rows;
        for (std::uint8_t id : tab.blocks) {
            const auto block = input.snapshot.blocks.find(id);
            if (block == input.snapshot.blocks.end()) continue;
            for (const BlockField& field : BlockRows(block->second)) {
                rows << QStringList{Html(field.caption), Shown(field.caption, field.value, field.secret, input.showSecrets)};
            }
        }
        if (rows.isEmpty()) continue;
        sections << Section{Html(QString::fromUtf8(tab.caption)), {}, {QStringLiteral("Campo"), QStringLiteral("Valor")},
                            rows, {}};
    }
}

void AddRfSection(const ReportInput& input, QList<Section>& sections)
{
    if (!input.snapshot.rf) return;
    QList<QStringList> rows;
    for (const auto& [slot, bytes] : *input.snapshot.rf) {
        const std::vector<BlockField> fields = RfSensorFields(UnpackRfSensorRecord(bytes.data(), bytes.size()));
        // serial, kind, three buttons, zone, user
        rows << QStringList{QString::number(slot), Html(fields[0].value), Html(fields[1].value), Html(fields[5].value),
                            Html(fields[6].value), Html(fields[2].value), Html(fields[3].value), Html(fields[4].value)};
    }
    sections << Section{QStringLiteral("Sensores RF"),
                        {},
                        {QStringLiteral("Posição"), QStringLiteral("Serial"), QStringLiteral("Tipo"), QStringLiteral("Zona"),
                         QStringLiteral("Usuário"), QStringLiteral("Botão 1"), QStringLiteral("Botão 2"),
                         QStringLiteral("Botão 3")},
                        rows,
                        QStringLiteral("<p>Nenhum sensor cadastrado.</p>")};
}

void AddChangesSection(const ReportInput& input, QList<Section>& sections)
{
    if (!input.previous) return;
    QList<QStringList> rows;
    for (const BackupDifference& difference : CompareBackups(*input.previous, input.snapshot)) {
        const FieldChange& change = difference.change;
        rows << QStringList{Html(difference.where), Html(change.caption),
                            Shown(change.caption, change.before, change.secret, input.showSecrets),
                            Shown(change.caption, change.after, change.secret, input.showSecrets)};
    }
    sections << Section{QStringLiteral("Alterações desde a configuração anterior"),
                        QStringLiteral("<p>Comparada com a configuração lida em %1.</p>").arg(DateTimeText(TakenTime(*input.previous))),
                        {QStringLiteral("Onde"), QStringLiteral("Campo"), QStringLiteral("Antes"), QStringLiteral("Depois")},
                        rows,
                        QStringLiteral("<p>Nenhuma alteração.</p>")};
}

QList<Section> Sections(const ReportInput& input)
{
    QList<Section> sections;
    AddBlockSections(input, sections);
    AddRfSection(input, sections);
    AddChangesSection(input, sections);
    return sections;
}

QString SignatureSection()
{
    const QString line = QStringLiteral("<td width=\"45%\" align=\"center\"><br><br><br>______________________________<br>%1</td>");
    return QStringLiteral("<br><table width=\"100%\"><tr>") + line.arg(QStringLiteral("Instalador")) +
           QStringLiteral("<td width=\"10%\"></td>") + line.arg(QStringLiteral("Cliente")) + QStringLiteral("</tr></table>");
}

QString Body(const ReportInput& input, const QList<Section>& sections, const PageBreaks& breaks = {})
{
    QString html = CustomerSection(input);
    for (int index = 0; index < sections.size(); ++index) {
        const Section& section = sections[index];
        html += breaks.beforeHeading.contains(index) ? QStringLiteral("<h2 style=\"page-break-before: always\">")
                                                     : QStringLiteral("<h2>");
        html += section.heading + QStringLiteral("</h2>") + section.intro;
        if (section.rows.isEmpty()) {
            html += section.whenEmpty;
            continue;
        }
        const bool last = index == sections.size() - 1;
        const int tail = last ? std::min(breaks.rowsWithSignature, static_cast<int>(section.rows.size())) : 0;
        if (tail < section.rows.size()) html += Table(section.header, section.rows.mid(0, section.rows.size() - tail));
        // The continuation repeats the table's header on the signature's page.
        if (tail > 0) html += Table(section.header, section.rows.mid(section.rows.size() - tail), true);
    }
    return html + SignatureSection();
}

// How many rows of its table a heading keeps on its page, and how many of
// the last table go with the lines to sign.
constexpr int kRowsWithHeading = 2;
constexpr int kRowsWithSignature = 2;

// A paragraph or a table of the report's outermost level, as laid out.
struct LaidOut {
    enum class Kind { Heading, Text, Table } kind;
    qreal top;
    qreal bottom;
    QTextTable* table;
};

std::vector<LaidOut> LaidOutItems(QTextDocument& document)
{
    QAbstractTextDocumentLayout* layout = document.documentLayout();
    std::vector<LaidOut> items;
    for (auto it = document.rootFrame()->begin(); !it.atEnd(); ++it) {
        if (QTextFrame* frame = it.currentFrame()) {
            const QRectF rect = layout->frameBoundingRect(frame);
            items.push_back({LaidOut::Kind::Table, rect.top(), rect.bottom(), qobject_cast<QTextTable*>(frame)});
            continue;
        }
        const QTextBlock block = it.currentBlock();
        // The paragraph a table leaves behind it, or one holding a line break only.
        if (block.text().trimmed().isEmpty()) continue;
        const QRectF rect = layout->blockBoundingRect(block);
        const auto kind = block.blockFormat().headingLevel() == 2 ? LaidOut::Kind::Heading : LaidOut::Kind::Text;
        items.push_back({kind, rect.top(), rect.bottom(), nullptr});
    }
    return items;
}

// The bottom of a table's row: of its tallest cell.
qreal RowBottom(QTextDocument& document, QTextTable* table, int row)
{
    qreal bottom = 0;
    for (int column = 0; column < table->columns(); ++column) {
        const QTextBlock last = table->cellAt(row, column).lastCursorPosition().block();
        bottom = std::max(bottom, document.documentLayout()->blockBoundingRect(last).bottom());
    }
    return bottom;
}

// Finds the first place, in reading order, where the laid-out report needs
// a break it does not have yet, and adds it; false when there is none.
bool AddPageBreak(QTextDocument& document, const QList<Section>& sections, PageBreaks& breaks)
{
    const qreal pageHeight = document.pageSize().height();
    const auto page = [pageHeight](qreal y) { return static_cast<int>(std::floor(y / pageHeight)); };
    // A bottom is the last point of what it closes.
    const auto pageOfBottom = [&page](qreal y) { return page(y - 0.5); };
    const std::vector<LaidOut> items = LaidOutItems(document);
    if (items.empty() || items.back().kind != LaidOut::Kind::Table) return false;
    const std::size_t signature = items.size() - 1;

    int section = -1;
    for (std::size_t i = 1; i < signature; ++i) {
        if (items[i].kind != LaidOut::Kind::Heading) continue;
        ++section;
        if (breaks.beforeHeading.contains(section)) continue;
        // The text under the heading and the first rows of its table.
        qreal kept = items[i].bottom;
        for (std::size_t j = i + 1; j < signature && items[j].kind != LaidOut::Kind::Heading; ++j) {
            if (QTextTable* table = items[j].table) {
                const int rows = std::min(table->format().headerRowCount() + kRowsWithHeading, table->rows());
                kept = RowBottom(document, table, rows - 1);
                break;
            }
            kept = items[j].bottom;
        }
        const bool startsPage = page(items[i].top) != pageOfBottom(items[i - 1].bottom);
        if (!startsPage && pageOfBottom(kept) != page(items[i].top)) {
            breaks.beforeHeading.insert(section);
            return true;
        }
    }

    // The lines to sign stay on the page where the last section ends.
    if (sections.isEmpty() || pageOfBottom(items[signature].bottom) == pageOfBottom(items[signature - 1].bottom)) {
        return false;
    }
    const int last = static_cast<int>(sections.size()) - 1;
    if (breaks.rowsWithSignature == 0 && sections[last].rows.size() >= kRowsWithHeading + kRowsWithSignature) {
        breaks.rowsWithSignature = kRowsWithSignature;
        return true;
    }
    if (breaks.rowsWithSignature == 0 && !breaks.beforeHeading.contains(last)) {
        // Too short to part: the whole section goes with them.
        breaks.beforeHeading.insert(last);
        return true;
    }
    return false;
}

// Lays the report out on the document's pages: a heading never ends a page
// with too little of its table, and the lines to sign never stand alone.
// Each break is found once, in reading order, and the report laid out
// again; content only moves down, so what was settled above stays settled.
void LayOutPages(QTextDocument& document, const ReportInput& input)
{
    const QList<Section> sections = Sections(input);
    const QSizeF pageSize = document.pageSize();
    PageBreaks breaks;
    do {
        document.setHtml(Body(input, sections, breaks));
        document.setPageSize(pageSize);
    } while (AddPageBreak(document, sections, breaks));
}

}  // namespace

QByteArray ReportHtml(const ReportInput& input)
{
    const QString html = QStringLiteral("<!DOCTYPE html><html lang=\"pt-BR\"><head><meta charset=\"utf-8\">"
                                        "<title>Relatório de instalação %1</title></head><body><p><small>%2</small></p>%3"
                                        "</body></html>\n")
                             .arg(input.snapshot.panel.serial)
                             .arg(Html(PageHeader(input)), Body(input, Sections(input)));
    return html.toUtf8();
}

ReportPdf ReportToPdf(const ReportInput& input)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(kPdfResolution);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 12, 15, 12),
                                     QPageLayout::Millimeter));
    writer.setTitle(QStringLiteral("Relatório de instalação %1").arg(input.snapshot.panel.serial));
    writer.setCreator(QStringLiteral("Quorvel %1").arg(input.toolVersion));

    const QRectF page = writer.pageLayout().paintRectPixels(kPdfResolution);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(9);
    QFont small = font;
    small.setPointSizeF(7.5);
    const qreal band = QFontMetricsF(small, &writer).height() * 2.2;  // header and footer

    QTextDocument document;
    document.documentLayout()->setPaintDevice(&writer);
    document.setDefaultFont(font);
    document.setDocumentMargin(0);
    const QSizeF body(page.width(), page.height() - 2 * band);
    document.setPageSize(body);
    LayOutPages(document, input);
    const int pages = document.pageCount();

    QPainter painter(&writer);
    const QString header = PageHeader(input);
    for (int index = 0; index < pages; ++index) {
        if (index > 0) writer.newPage();
        painter.setFont(small);
        painter.drawText(QRectF(0, 0, page.width(), band), Qt::AlignLeft | Qt::AlignTop, header);
        painter.drawLine(QPointF(0, band * 0.75), QPointF(page.width(), band * 0.75));
        painter.drawText(QRectF(0, page.height() - band * 0.6, page.width(), band * 0.6), Qt::AlignRight | Qt::AlignBottom,
                         QStringLiteral("Página %1 de %2").arg(index + 1).arg(pages));
        painter.save();
        painter.translate(0, band - index * body.height());
        const QRectF visible(0, index * body.height(), body.width(), body.height());
        painter.setClipRect(visible);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = visible;
        document.documentLayout()->draw(&painter, context);
        painter.restore();
    }
    painter.end();
    return {buffer.data(), pages};
}

std::optional<SnapshotInfo> OlderSnapshotWithRf(const std::vector<SnapshotInfo>& history)
{
    if (history.empty() || history.back().hasRf || !AutomaticReason(history.back())) return std::nullopt;
    const auto older = std::find_if(std::next(history.rbegin()), history.rend(),
                                    [](const SnapshotInfo& info) { return info.hasRf; });
    if (older == history.rend()) return std::nullopt;
    return *older;
}

QString SuggestedReportName(quint32 serial, const QDateTime& taken, const QString& extension)
{
    return QStringLiteral("Relatorio_%1_%2.%3").arg(serial).arg(taken.toLocalTime().toString(QStringLiteral("ddMMyyyy")), extension);
}
