#pragma once
// The commands of the command-line tool, each run with the shared context
// and returning its exit code. The dispatch in cli_tool.cpp checks the
// number of operands; each command checks the rest.

#include <QString>
#include <QStringList>
#include <optional>

class CliContext;
struct PanelBackup;

// info_commands.cpp: the commands that only look.
int RunPorts(CliContext& cli);
int RunIdentify(CliContext& cli);
int RunLog(CliContext& cli, const QString& file);

// config_commands.cpp: the panel's configuration and the backup file.
int RunBackup(CliContext& cli, const QString& file);
int RunRestore(CliContext& cli, const QString& file);
int RunDiff(CliContext& cli, const QString& file, const QString& other);
// A backup file read and checked whole; an exit code when it is refused.
std::optional<int> LoadBackupFile(CliContext& cli, const QString& file, PanelBackup& backup);

// library_commands.cpp: list, show, export, import.
int RunLibrary(CliContext& cli, const QStringList& operands);
// A snapshot's installation report, PDF or HTML.
int RunReport(CliContext& cli, const QString& reference);

// firmware_command.cpp: a firmware image to the panel's bootloader.
int RunFlash(CliContext& cli, const QString& image);

// status_command.cpp: the diagnostic window's pages, once or watched.
int RunStatus(CliContext& cli);

// enrol_command.cpp: the enrolment window's process, headless.
int RunEnrol(CliContext& cli);
