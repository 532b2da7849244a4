#pragma once
// What the installation report of SERIAL[@N] is made of, gathered from the
// library one way for the window and the command line: the snapshot (the
// newest when no number is given), the panel's record, the snapshot before
// it for what changed, this tool's version and, for the newest one kept
// automatically without the RF sensors, an older one that holds them.

#include <QDateTime>
#include <QString>
#include <optional>

#include "library/installation_report.h"

class PanelLibrary;

struct ReportRequest {
    // What the library lacks, when it answered.
    enum class Missing { Nothing, Panel, Snapshots, Snapshot };
    std::optional<ReportInput> input;
    Missing missing = Missing::Nothing;
    QString error;  // the library's words, when it failed
};

// number 0: the panel's newest snapshot. printed: when, by the caller's
// clock. Whether secrets are shown is the caller's to set.
ReportRequest RequestReport(PanelLibrary& library, quint32 serial, int number, const QDateTime& printed);
