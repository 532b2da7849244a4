#include "ui/common/busy_controls.h"

#include <QWidget>

#include "jobs/job_gate.h"

void DisableWhileJobRuns(PanelSession& session, const QList<QWidget*>& controls)
{
    JobGate& gate = JobGate::Of(session);
    for (QWidget* control : controls) {
        control->setEnabled(!gate.Busy());
        QObject::connect(&gate, &JobGate::BusyChanged, control, [control](bool busy) { control->setEnabled(!busy); });
    }
}
