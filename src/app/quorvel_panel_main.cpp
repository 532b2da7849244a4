// quorvel-panel: a software panel on a pseudo-terminal, registered as a COM
// port in the user's port folder so that the tool's port menu lists it.
// Runs until SIGINT, SIGTERM or SIGHUP, then removes its registration.

#include "sim/standalone_panel.h"

int main(int argc, char** argv) { return RunStandalonePanel(argc, argv, QUORVEL_VERSION); }
