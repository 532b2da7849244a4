#pragma once
// A panel job run to its end by the command-line tool: a program that runs
// one command waits for the outcome on a loop of its own. The job's progress
// is drawn as the tool's bar, and Ctrl-C (once CatchInterrupt was called)
// cancels it before its next exchange.

#include <functional>

#include "jobs/panel_job.h"

class CliContext;

// start asks the job for its work; the outcome it ends with.
JobOutcome RunPanelJob(CliContext& cli, const std::function<bool(PanelJob&)>& start);

// Why a read of the panel ended without its configuration, said as one line;
// its exit code. For an outcome whose end is not Done.
int ReadFailure(CliContext& cli, const JobOutcome& outcome);
