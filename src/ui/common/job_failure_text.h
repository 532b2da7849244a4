#pragma once
// A panel read by a job that did not end with the panel's configuration,
// in the installer's words: the library window and the firmware window's
// snapshot before an update say the same.

#include <QString>

struct JobOutcome;

// Empty when there is nothing to tell (done, or cancelled by the
// installer); nothingKept ends the sentence ("nada foi guardado.").
QString JobFailureText(const JobOutcome& outcome, const QString& nothingKept);
