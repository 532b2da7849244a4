#pragma once
// quorvel-panel's whole life: its command line, the panel on a
// pseudo-terminal registered as a COM number and/or on raw TCP, and the
// loop that serves it until a stop signal, then the registration removed.
//
//   quorvel-panel --com 9 [--model 37|51|56] [--serial N] [--image FILE] [--trace]
//   quorvel-panel --listen 127.0.0.1:4001 [...]   the same panel over raw TCP too (or alone)
//   quorvel-panel --help | --version
//
// With --image the bootloader checks every packet of an update against
// that image file, tag and data; without it, only their form.

// The exit status: 0, 1 when the panel could not be served, 2 for a usage error.
int RunStandalonePanel(int argc, char** argv, const char* version);
