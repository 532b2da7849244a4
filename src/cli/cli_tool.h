#pragma once
// The command-line tool: back up, restore and compare a panel's whole
// configuration, flash its firmware, watch its status, enrol an RF sensor,
// identify it, list the ports, trace the frames. Everything but the process itself lives here, so tests run it
// in-process with their own ports, clock and output streams.

#include <QStringList>
#include <QTextStream>

class Clock;
class SystemPortCatalogue;

// Exit codes, for scripts.
enum class ExitCode : int {
    Done = 0,
    PanelFailed = 1,  // the panel refused or did not answer
    Usage = 2,
    PortError = 3,
    BadFile = 4,
};

struct CliEnvironment {
    SystemPortCatalogue& ports;
    const Clock& clock;
    QTextStream& out;  // results
    QTextStream& err;  // messages and the progress bar
    bool terminal = false;  // err is a terminal: show a progress bar
    int answerTimeoutMs = 1000;
    // flash: the update's second (its countdowns count these), and how long
    // a panel may ask for no new packet before the run is cancelled. Tests
    // shorten both.
    int updateSecondMs = 1000;
    int updateStallMs = 30000;
    // The panel library when --library names none, before the environment
    // and the user's own (empty in the program). Tests keep theirs apart.
    QString defaultLibrary{};
    // enrol: the enrolment's tick (its waits count these); status --watch:
    // the polling's tick. Tests shorten both.
    int enrolTickMs = 500;
    int statusPollMs = 250;
};

// Runs one command line (arguments without the program name); returns the
// exit code.
int RunCli(const QStringList& arguments, CliEnvironment& environment);
