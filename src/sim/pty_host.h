#pragma once
// Puts a VirtualPanel behind a pseudo-terminal, so the tool reaches it
// through a real serial device, and registers that device as COM n in a
// port folder so the tool's port menu lists it. POSIX only, no Qt: where
// there are no pseudo-terminals (Windows), Open fails and says why.
//
// The host keeps a descriptor of the terminal side open itself: without it
// the controller side reports hang-ups whenever the tool closes the port,
// and the terminal settings would be lost between two opens.
//
// Driving it: call Pump() whenever MasterFd() is readable, and again while
// HasPendingOutput() (with piecewise delivery one piece leaves per call, so
// the tool's reads see the pieces apart); call Tick() once a second, which
// ticks the panel and sends what it says on its own. Choosing a COM number
// is the caller's business: see
// LowestFreeComNumber in the port catalogue for the usual rule.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "sim/virtual_panel.h"

class PtyHost {
public:
    // Most bytes held back for a tool that does not read; further answers
    // are dropped, as a real port's buffer would overrun.
    static constexpr size_t kMaxPendingBytes = 64 * 1024;

    // Opens the pseudo-terminal; with comNumber in 1..255 also registers it
    // in portFolder (comNumber 0: no registration). Null on failure, with
    // the reason in *error when given.
    static std::unique_ptr<PtyHost> Open(VirtualPanel& panel, const std::filesystem::path& portFolder,
                                         int comNumber, std::string* error = nullptr);
    ~PtyHost();
    PtyHost(const PtyHost&) = delete;
    PtyHost& operator=(const PtyHost&) = delete;

    // -1 once vanished.
    int MasterFd() const { return master_; }
    // The terminal device the tool opens, such as /dev/pts/5.
    const std::string& DevicePath() const { return devicePath_; }
    // The registered number, 0 when not registered (also after Vanish()).
    int ComNumber() const { return registered_ ? comNumber_ : 0; }

    // Reads what the tool sent (without blocking), feeds the panel and
    // writes its answers, then anything the panel queued on its own (a
    // sensor triggered on demand). Returns the number of bytes read.
    size_t Pump();
    bool HasPendingOutput() const { return !pending_.empty(); }
    // The panel's one-second tick; what it says on its own is written out.
    void Tick();

    // The device disappears: both sides closed, registration removed. The
    // tool's open port sees a hang-up. Pump() does nothing afterwards.
    void Vanish();
    bool Vanished() const { return master_ < 0; }

    // One formatted line per frame both ways (see panel_trace.h). Installs
    // itself as the panel's frame observer; an empty sink removes it.
    using TraceSink = std::function<void(const std::string& line)>;
    void SetTrace(TraceSink sink);

    // A client that set exclusive use and was killed before clearing it
    // would lock out every later client but root: this end holds the
    // terminal open, so the system never resets the flag. Once no one but
    // this end holds the terminal, the flag is cleared (on Linux, where
    // the holders can be seen); true when it was. Every Tick() calls it.
    bool ReleaseStaleExclusiveUse();

    // Paced, the panel sends its bytes no faster than the link speed the
    // client set on the terminal (ten bits a byte: about 87 us a byte at
    // 115200 bit/s), as a real panel does; otherwise as fast as the client
    // reads (what the tests use). Off at first.
    void SetPaced(bool paced) { paced_ = paced; }
    // Paced, how long until the next byte may leave; zero when one may now
    // (or nothing waits). A host loop sleeps this long instead of spinning.
    std::chrono::nanoseconds UntilNextByte() const;

private:
    PtyHost(VirtualPanel& panel, int master, int slave, std::string devicePath);
    void Queue(const std::vector<uint8_t>& bytes);
    void Flush();
    void Close();

    VirtualPanel& panel_;
    int master_ = -1;
    int slave_ = -1;
    std::string devicePath_;
    std::filesystem::path portFolder_;
    int comNumber_ = 0;
    bool registered_ = false;
    bool traceInstalled_ = false;
    std::deque<std::vector<uint8_t>> pending_;
    // How many bytes may leave now: earned at the link's rate while output
    // waits, never more than a few bytes' worth saved up.
    size_t PaceAllowance();
    bool paced_ = false;
    std::chrono::steady_clock::time_point paceFrom_{};
    double paceCredit_ = 0;
    size_t pendingBytes_ = 0;
};
