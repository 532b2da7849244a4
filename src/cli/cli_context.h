#pragma once
// What every command of the command-line tool shares, inside the tool only,
// in three parts a command uses as one: what it says (the options, failures,
// JSON, the progress bar: cli_output.h), the panel library
// (cli_library_access.h) and the panel of --port (cli_connection.h).

#include "cli/cli_connection.h"
#include "cli/cli_library_access.h"
#include "cli/cli_output.h"

class CliContext : public CliOutput, public CliLibraryAccess, public CliConnection {
public:
    CliContext(CliEnvironment& env, const QCommandLineParser& parser)
        : CliOutput(env, parser), CliLibraryAccess(static_cast<CliOutput&>(*this)),
          CliConnection(static_cast<CliOutput&>(*this), static_cast<CliLibraryAccess&>(*this))
    {
    }
    CliContext(const CliContext&) = delete;
    CliContext& operator=(const CliContext&) = delete;
};
