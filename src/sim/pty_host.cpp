#include "sim/pty_host.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "ports/port_catalogue.h"
#include "sim/panel_trace.h"

namespace {

std::string SystemError(const char* what)
{
    return std::string(what) + ": " + std::strerror(errno);
}

bool TerminalName(int master, std::string& name)
{
#if defined(__linux__)
    char buffer[128];
    if (ptsname_r(master, buffer, sizeof buffer) != 0) {
        return false;
    }
    name = buffer;
#else
    const char* found = ptsname(master);
    if (found == nullptr) {
        return false;
    }
    name = found;
#endif
    return true;
}

// How many open descriptors, in every process this one may look into,
// name the terminal; -1 where the system does not tell.
int OpenersOf(const std::string& device)
{
#if defined(__linux__)
    DIR* processes = ::opendir("/proc");
    if (processes == nullptr) return -1;
    int openers = 0;
    while (const dirent* process = ::readdir(processes)) {
        if (process->d_name[0] < '0' || process->d_name[0] > '9') continue;
        const std::string folder = std::string("/proc/") + process->d_name + "/fd";
        DIR* fds = ::opendir(folder.c_str());
        if (fds == nullptr) continue;  // gone, or not ours to look at
        while (const dirent* fd = ::readdir(fds)) {
            char target[256];
            const std::string link = folder + "/" + fd->d_name;
            const ssize_t length = ::readlink(link.c_str(), target, sizeof target - 1);
            if (length > 0 && device.compare(0, std::string::npos, target, static_cast<size_t>(length)) == 0) ++openers;
        }
        ::closedir(fds);
    }
    ::closedir(processes);
    return openers;
#else
    (void)device;
    return -1;
#endif
}

}  // namespace

std::unique_ptr<PtyHost> PtyHost::Open(VirtualPanel& panel, const std::filesystem::path& portFolder,
                                       int comNumber, std::string* error)
{
    auto fail = [error](std::string reason, int master, int slave) -> std::unique_ptr<PtyHost> {
        if (slave >= 0) {
            ::close(slave);
        }
        if (master >= 0) {
            ::close(master);
        }
        if (error != nullptr) {
            *error = std::move(reason);
        }
        return nullptr;
    };
    if (comNumber != 0 && (comNumber < kFirstComNumber || comNumber > kLastComNumber)) {
        return fail("COM number out of range: " + std::to_string(comNumber), -1, -1);
    }
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0) {
        return fail(SystemError("posix_openpt"), -1, -1);
    }
    std::string name;
    if (grantpt(master) != 0 || unlockpt(master) != 0 || !TerminalName(master, name)) {
        return fail(SystemError("pseudo-terminal set-up"), master, -1);
    }
    const int flags = fcntl(master, F_GETFL);
    if (flags < 0 || fcntl(master, F_SETFL, flags | O_NONBLOCK) != 0 ||
        fcntl(master, F_SETFD, FD_CLOEXEC) != 0) {
        return fail(SystemError("fcntl"), master, -1);
    }
    const int slave = ::open(name.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
        return fail(SystemError(name.c_str()), master, -1);
    }
    // Raw: no echo, no line editing, no newline translation. Otherwise the
    // terminal would echo the panel's own answers back to it and mangle bytes.
    termios mode{};
    if (tcgetattr(slave, &mode) != 0) {
        return fail(SystemError("tcgetattr"), master, slave);
    }
    cfmakeraw(&mode);
    if (tcsetattr(slave, TCSANOW, &mode) != 0) {
        return fail(SystemError("tcsetattr"), master, slave);
    }
    std::unique_ptr<PtyHost> host(new PtyHost(panel, master, slave, name));
    if (comNumber != 0) {
        if (!RegisterPort(portFolder, comNumber, name, static_cast<int>(getpid()))) {
            if (error != nullptr) {
                *error = "cannot register COM" + std::to_string(comNumber) + " in " + portFolder.string();
            }
            return nullptr;
        }
        host->portFolder_ = portFolder;
        host->comNumber_ = comNumber;
        host->registered_ = true;
    }
    return host;
}

PtyHost::PtyHost(VirtualPanel& panel, int master, int slave, std::string devicePath)
    : panel_(panel), master_(master), slave_(slave), devicePath_(std::move(devicePath))
{
}

PtyHost::~PtyHost()
{
    Vanish();
    if (traceInstalled_) {
        // The sink may refer to things that die with the host's owner.
        panel_.SetFrameObserver(nullptr);
    }
}

void PtyHost::SetTrace(TraceSink sink)
{
    traceInstalled_ = static_cast<bool>(sink);
    if (!sink) {
        panel_.SetFrameObserver(nullptr);
        return;
    }
    panel_.SetFrameObserver([sink = std::move(sink)](VirtualPanel::Direction direction,
                                                     const std::vector<uint8_t>& frame) {
        sink(sim::FormatTraceLine(std::chrono::system_clock::now(), direction, frame));
    });
}

size_t PtyHost::Pump()
{
    if (master_ < 0) {
        return 0;
    }
    size_t received = 0;
    uint8_t buffer[4096];
    // Bounded so a tool that never stops writing cannot starve the caller.
    for (int round = 0; round < 16; ++round) {
        const ssize_t count = ::read(master_, buffer, sizeof buffer);
        if (count > 0) {
            received += static_cast<size_t>(count);
            Queue(panel_.Feed(buffer, static_cast<size_t>(count)));
            continue;
        }
        if (count < 0 && errno == EINTR) {
            continue;
        }
        break;  // nothing more waiting (EAGAIN), or no reader side right now (EIO)
    }
    Queue(panel_.TakeUnsolicited());
    Flush();
    return received;
}

void PtyHost::Tick()
{
    const std::vector<uint8_t> said = panel_.Tick();
    if (master_ < 0) {
        return;
    }
    ReleaseStaleExclusiveUse();
    Queue(said);
    Flush();
}

bool PtyHost::ReleaseStaleExclusiveUse()
{
#if defined(TIOCGEXCL)
    int exclusive = 0;
    if (slave_ < 0 || ::ioctl(slave_, TIOCGEXCL, &exclusive) != 0 || exclusive == 0) {
        return false;
    }
    // This end's own descriptor is one opener; a client makes more.
    if (OpenersOf(devicePath_) != 1) {
        return false;
    }
    return ::ioctl(slave_, TIOCNXCL) == 0;
#else
    return false;
#endif
}

void PtyHost::Queue(const std::vector<uint8_t>& bytes)
{
    for (auto& piece : panel_.SplitForDelivery(bytes)) {
        if (pendingBytes_ + piece.size() > kMaxPendingBytes) {
            return;
        }
        pendingBytes_ += piece.size();
        pending_.push_back(std::move(piece));
    }
}

namespace {

// The bit rate the client set on the terminal; 115200 when it set none.
double LinkBitsPerSecond(int slave)
{
    termios mode{};
    if (slave < 0 || tcgetattr(slave, &mode) != 0) return 115200;
    switch (cfgetospeed(&mode)) {
    case B9600: return 9600;
    case B19200: return 19200;
    case B38400: return 38400;
    case B57600: return 57600;
    default: return 115200;
    }
}

constexpr double kBitsPerByte = 10;  // start, eight data bits, stop
// A host wakes about once a millisecond: what two milliseconds of the link
// carry may be saved up, so the pace holds between wake-ups.
constexpr double kSavedSeconds = 0.002;

}  // namespace

size_t PtyHost::PaceAllowance()
{
    const auto now = std::chrono::steady_clock::now();
    const double bytesPerSecond = LinkBitsPerSecond(slave_) / kBitsPerByte;
    if (paceFrom_ == std::chrono::steady_clock::time_point{}) {
        paceFrom_ = now;
        paceCredit_ = 1;
        return 1;
    }
    const double seconds = std::chrono::duration<double>(now - paceFrom_).count();
    paceFrom_ = now;
    paceCredit_ = std::min(paceCredit_ + seconds * bytesPerSecond, std::max(1.0, kSavedSeconds * bytesPerSecond));
    return static_cast<size_t>(paceCredit_);
}

std::chrono::nanoseconds PtyHost::UntilNextByte() const
{
    if (!paced_ || pending_.empty() || paceCredit_ >= 1) return std::chrono::nanoseconds(0);
    const double seconds = (1 - paceCredit_) * kBitsPerByte / LinkBitsPerSecond(slave_);
    return std::chrono::nanoseconds(static_cast<std::int64_t>(seconds * 1e9) + 1);
}

void PtyHost::Flush()
{
    // With piecewise delivery only one piece leaves per call.
    const bool onePiece = panel_.ChunkingMax() > 0;
    while (!pending_.empty() && master_ >= 0) {
        std::vector<uint8_t>& piece = pending_.front();
        size_t size = piece.size();
        if (paced_) {
            size = std::min(size, PaceAllowance());
            if (size == 0) return;  // the next byte's time has not come
        }
        const ssize_t written = ::write(master_, piece.data(), size);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;  // full (EAGAIN): try again on the next call
        }
        const size_t done = static_cast<size_t>(written);
        pendingBytes_ -= done;
        if (paced_) paceCredit_ -= static_cast<double>(done);
        if (done < piece.size()) {
            piece.erase(piece.begin(), piece.begin() + static_cast<std::ptrdiff_t>(done));
            return;
        }
        pending_.pop_front();
        if (onePiece) {
            return;
        }
    }
}

void PtyHost::Close()
{
    if (slave_ >= 0) {
        ::close(slave_);
        slave_ = -1;
    }
    if (master_ >= 0) {
        ::close(master_);
        master_ = -1;
    }
    pending_.clear();
    pendingBytes_ = 0;
}

void PtyHost::Vanish()
{
    Close();
    if (registered_) {
        UnregisterPort(portFolder_, comNumber_);
        registered_ = false;
    }
}
