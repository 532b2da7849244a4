#pragma once
// Controls that start an exchange with the panel wait while a job talks to
// it: a second exchange in the middle of a job's would take its answers.

#include <QList>

class PanelSession;
class QWidget;

// Disabled while the session's job gate is held, enabled again after; for
// controls that are otherwise always enabled.
void DisableWhileJobRuns(PanelSession& session, const QList<QWidget*>& controls);
