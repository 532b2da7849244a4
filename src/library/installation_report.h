#pragma once
// The installation report: what a snapshot of a panel holds, on paper, for
// the customer and the installer's files. In Portuguese, as the window
// speaks: the panel and the customer, every block's fields grouped as the
// window's tabs, the RF sensors, what changed since the snapshot before,
// and lines to sign. The same content as an HTML file or an A4 PDF whose
// every page carries a header and "n de N".

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>

#include "library/backup_file.h"
#include "library/panel_library.h"

struct ReportInput {
    PanelBackup snapshot;
    SnapshotInfo info;
    PanelRecord panel;
    std::optional<PanelBackup> previous;  // the panel's snapshot before this one
    QString toolVersion;
    QDateTime printed;
    bool showSecrets = false;  // the Wi-Fi password shown, not masked
};

// A whole HTML document, UTF-8.
QByteArray ReportHtml(const ReportInput& input);

struct ReportPdf {
    QByteArray bytes;
    int pages = 0;
};
// Needs a GUI application object (fonts): the offscreen platform will do.
ReportPdf ReportToPdf(const ReportInput& input);

// "Relatorio_2024011501_10122026.pdf": the name offered for a report.
QString SuggestedReportName(quint32 serial, const QDateTime& taken, const QString& extension = QStringLiteral("pdf"));
