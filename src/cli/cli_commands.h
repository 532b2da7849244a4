#pragma once
// The commands of the command-line tool, each run with the shared context
// and returning its exit code. The dispatch in cli_tool.cpp checks the
// number of operands; each command checks the rest.

#include <QString>

class CliContext;

// info_commands.cpp: the commands that only look.
int RunPorts(CliContext& cli);
int RunIdentify(CliContext& cli);
int RunLog(CliContext& cli, const QString& file);

// config_commands.cpp: the panel's configuration and the backup file.
int RunBackup(CliContext& cli, const QString& file);
int RunRestore(CliContext& cli, const QString& file);
int RunDiff(CliContext& cli, const QString& file, const QString& other);

// firmware_command.cpp: a firmware image to the panel's bootloader.
int RunFlash(CliContext& cli, const QString& image);

// status_command.cpp: the diagnostic window's pages, once or watched.
int RunStatus(CliContext& cli);

// enrol_command.cpp: the enrolment window's process, headless.
int RunEnrol(CliContext& cli);
