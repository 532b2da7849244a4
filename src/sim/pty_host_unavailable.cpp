// Where there are no pseudo-terminals (Windows), the software panel cannot
// sit behind a serial device: Open fails and says why, so the demo reports
// that its panel did not start and the rest of the tool works on.
#include "sim/pty_host.h"

std::unique_ptr<PtyHost> PtyHost::Open(VirtualPanel&, const std::filesystem::path&, int, std::string* error)
{
    if (error) *error = "the software panel needs a pseudo-terminal, which this system does not have";
    return nullptr;
}

PtyHost::~PtyHost() = default;
size_t PtyHost::Pump() { return 0; }
void PtyHost::Tick() {}
void PtyHost::Vanish() {}
void PtyHost::SetTrace(TraceSink) {}
