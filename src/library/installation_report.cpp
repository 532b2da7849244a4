#include "library/installation_report.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QFont>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>

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
        .arg(input.toolVersion, PanelLine(input), DateTimeText(input.snapshot.taken));
}

QString Table(const QStringList& header, const QList<QStringList>& rows)
{
    QString html = QStringLiteral("<table width=\"100%\" cellspacing=\"0\" cellpadding=\"3\" border=\"1\"><thead><tr>");
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

QString CustomerSection(const ReportInput& input)
{
    const auto row = [](const QString& caption, const QString& value) {
        return QStringLiteral("<tr><td width=\"28%\"><b>%1</b></td><td>%2</td></tr>").arg(caption, value);
    };
    QString html = QStringLiteral("<h1>Relatório de instalação</h1><table width=\"100%\" cellpadding=\"2\">");
    html += row(QStringLiteral("Central"), Html(PanelLine(input)));
    html += row(QStringLiteral("Configuração lida em"), DateTimeText(input.snapshot.taken));
    html += row(QStringLiteral("Cliente"), Html(Bounded(input.panel.customer, kMaxCustomerLength)));
    html += row(QStringLiteral("Endereço"), Html(Bounded(input.panel.address, kMaxAddressLength)));
    html += row(QStringLiteral("Observações"),
                Html(Bounded(input.panel.notes, kMaxNotesLength)).replace('\n', QStringLiteral("<br>")));
    html += row(QStringLiteral("Instalador"), Html(Bounded(input.info.takenBy, kMaxInstallerLength)));
    html += row(QStringLiteral("Data"), input.printed.toLocalTime().toString(QStringLiteral("dd/MM/yyyy")));
    return html + QStringLiteral("</table>");
}

QString BlocksSection(const ReportInput& input)
{
    QString html;
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
        html += QStringLiteral("<h2>%1</h2>").arg(Html(QString::fromUtf8(tab.caption)));
        html += Table({QStringLiteral("Campo"), QStringLiteral("Valor")}, rows);
    }
    return html;
}

QString RfSection(const ReportInput& input)
{
    if (!input.snapshot.rf) return {};
    QString html = QStringLiteral("<h2>Sensores RF</h2>");
    if (input.snapshot.rf->empty()) return html + QStringLiteral("<p>Nenhum sensor cadastrado.</p>");
    QList<QStringList> rows;
    for (const auto& [slot, bytes] : *input.snapshot.rf) {
        const std::vector<BlockField> fields = RfSensorFields(UnpackRfSensorRecord(bytes.data(), bytes.size()));
        // serial, kind, three buttons, zone, user
        rows << QStringList{QString::number(slot), Html(fields[0].value), Html(fields[1].value), Html(fields[5].value),
                            Html(fields[6].value), Html(fields[2].value), Html(fields[3].value), Html(fields[4].value)};
    }
    return html + Table({QStringLiteral("Posição"), QStringLiteral("Serial"), QStringLiteral("Tipo"), QStringLiteral("Zona"),
                         QStringLiteral("Usuário"), QStringLiteral("Botão 1"), QStringLiteral("Botão 2"),
                         QStringLiteral("Botão 3")},
                        rows);
}

QString ChangesSection(const ReportInput& input)
{
    if (!input.previous) return {};
    QList<QStringList> rows;
    for (const BackupDifference& difference : CompareBackups(*input.previous, input.snapshot)) {
        const FieldChange& change = difference.change;
        rows << QStringList{Html(difference.where), Html(change.caption),
                            Shown(change.caption, change.before, change.secret, input.showSecrets),
                            Shown(change.caption, change.after, change.secret, input.showSecrets)};
    }
    QString html = QStringLiteral("<h2>Alterações desde a configuração anterior</h2>");
    html += QStringLiteral("<p>Comparada com a configuração lida em %1.</p>").arg(DateTimeText(input.previous->taken));
    if (rows.isEmpty()) return html + QStringLiteral("<p>Nenhuma alteração.</p>");
    return html + Table({QStringLiteral("Onde"), QStringLiteral("Campo"), QStringLiteral("Antes"), QStringLiteral("Depois")},
                        rows);
}

QString SignatureSection()
{
    const QString line = QStringLiteral("<td width=\"45%\" align=\"center\"><br><br><br>______________________________<br>%1</td>");
    return QStringLiteral("<br><table width=\"100%\"><tr>") + line.arg(QStringLiteral("Instalador")) +
           QStringLiteral("<td width=\"10%\"></td>") + line.arg(QStringLiteral("Cliente")) + QStringLiteral("</tr></table>");
}

QString Body(const ReportInput& input)
{
    return CustomerSection(input) + BlocksSection(input) + RfSection(input) + ChangesSection(input) + SignatureSection();
}

}  // namespace

QByteArray ReportHtml(const ReportInput& input)
{
    const QString html = QStringLiteral("<!DOCTYPE html><html lang=\"pt-BR\"><head><meta charset=\"utf-8\">"
                                        "<title>Relatório de instalação %1</title></head><body><p><small>%2</small></p>%3"
                                        "</body></html>\n")
                             .arg(input.snapshot.panel.serial)
                             .arg(Html(PageHeader(input)), Body(input));
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
    document.setHtml(Body(input));
    const QSizeF body(page.width(), page.height() - 2 * band);
    document.setPageSize(body);
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

QString SuggestedReportName(quint32 serial, const QDateTime& taken, const QString& extension)
{
    return QStringLiteral("Relatorio_%1_%2.%3").arg(serial).arg(taken.toLocalTime().toString(QStringLiteral("ddMMyyyy")), extension);
}
