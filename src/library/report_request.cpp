#include "library/report_request.h"

#include <algorithm>

#include "core/tool_version.h"
#include "library/panel_library.h"

namespace {

ReportRequest Failed(QString error) { return {std::nullopt, ReportRequest::Missing::Nothing, std::move(error)}; }

ReportRequest Lacking(ReportRequest::Missing missing) { return {std::nullopt, missing, QString()}; }

}  // namespace

ReportRequest RequestReport(PanelLibrary& library, quint32 serial, int number, const QDateTime& printed)
{
    const auto history = library.History(serial);
    if (!history.Ok()) return Failed(history.error);
    const auto panel = library.Panel(serial);
    if (!panel.Ok()) return Failed(panel.error);
    if (!panel.value->has_value()) return Lacking(ReportRequest::Missing::Panel);
    if (history.value->empty()) return Lacking(ReportRequest::Missing::Snapshots);
    const auto chosen = std::find_if(history.value->rbegin(), history.value->rend(),
                                     [number](const SnapshotInfo& info) { return number == 0 || info.number == number; });
    if (chosen == history.value->rend()) return Lacking(ReportRequest::Missing::Snapshot);
    const auto snapshot = library.Snapshot(serial, chosen->number);
    if (!snapshot.Ok()) return Failed(snapshot.error);

    ReportInput input;
    input.snapshot = *snapshot.value;
    input.info = *chosen;
    input.panel = **panel.value;
    // The snapshot before it, for what changed.
    if (const auto before = std::next(chosen); before != history.value->rend()) {
        const auto previous = library.Snapshot(serial, before->number);
        if (!previous.Ok()) return Failed(previous.error);
        input.previous = *previous.value;
    }
    input.toolVersion = QString::fromLatin1(kToolVersion);
    input.printed = printed;
    // Asked of the panel, the newest snapshot is reported: with an older one
    // that has the RF sensors when the newest lacks them.
    if (number == 0) input.olderWithRf = OlderSnapshotWithRf(*history.value);
    return {std::move(input), ReportRequest::Missing::Nothing, QString()};
}
