#include "jobs/seen_recorder.h"

#include "core/panel/model_capabilities.h"
#include "library/panel_library.h"
#include "session/clock.h"

namespace {

constexpr qint64 kRecordEverySeconds = 60;

}  // namespace

bool SeenRecorder::Record(const Identification& panel)
{
    if (!IsSupportedPanelModel(panel.model)) return false;
    const QDateTime now = clock_.Now();
    const auto last = written_.find(panel.serial);
    if (last != written_.end()) {
        const Sighting& seen = last->second;
        const bool same = seen.panel.model == panel.model && seen.panel.version == panel.version;
        // A clock set back counts as time passed: the record stays current.
        const qint64 since = seen.at.secsTo(now);
        if (same && since >= 0 && since < kRecordEverySeconds) return false;
    }
    // A library that fails is asked again a minute later, not every second.
    written_[panel.serial] = {panel, now};
    return library_.RecordSeen(panel, now).Ok();
}
