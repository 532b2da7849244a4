#include "jobs/job_gate.h"

#include "session/panel_session.h"

JobGate& JobGate::Of(PanelSession& session)
{
    static const char* const kName = "quorvel_job_gate";
    if (auto* gate = session.findChild<JobGate*>(QString::fromLatin1(kName), Qt::FindDirectChildrenOnly)) return *gate;
    auto* gate = new JobGate(&session);
    gate->setObjectName(QString::fromLatin1(kName));
    return *gate;
}

bool JobGate::TryEnter()
{
    if (busy_) return false;
    busy_ = true;
    emit BusyChanged(true);
    return true;
}

void JobGate::Leave()
{
    if (!busy_) return;
    busy_ = false;
    emit BusyChanged(false);
}
