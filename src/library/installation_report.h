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
#include <vector>

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
    // Set for a report asked of the panel, no snapshot named, whose newest
    // snapshot was kept automatically before a change without the RF
    // sensors while this older one holds them: the header says so.
    std::optional<SnapshotInfo> olderWithRf;
};

// For a report of a panel's newest snapshot (history in increasing number):
// the newest older snapshot that holds the RF sensors, when the newest was
// kept automatically before a change and holds none; nothing otherwise.
std::optional<SnapshotInfo> OlderSnapshotWithRf(const std::vector<SnapshotInfo>& history);

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
