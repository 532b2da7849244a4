#include "sim/standalone_panel.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "ports/port_catalogue.h"
#include "sim/panel_trace.h"
#include "sim/pty_host.h"
#include "sim/tcp_host.h"
#include "sim/virtual_panel.h"

namespace {

int g_wakePipe[2] = {-1, -1};

void OnStopSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(g_wakePipe[1], &byte, 1);
    errno = saved;
}

// The usage: asked for (--help), on standard output with status 0; after a
// problem, on standard error with status 2.
int Usage(const char* problem)
{
    FILE* const out = problem != nullptr ? stderr : stdout;
    if (problem != nullptr) {
        std::fprintf(stderr, "quorvel-panel: %s\n", problem);
    }
    std::fprintf(out,
                 "Usage: quorvel-panel (--com N | --listen ADDRESS:PORT) [--model 37|51|56] [--serial N] [--image FILE]\n"
                 "                     [--trace] [--fast]\n"
                 "A software alarm panel on a pseudo-terminal, registered as COM N for the tool, and/or\n"
                 "on raw TCP.\n"
                 "\n"
                 "Options:\n"
                 "  --com N      register the panel as COM N (1 to 255)\n"
                 "  --listen A   serve it over raw TCP at A, IPv4:PORT or [IPv6]:PORT (PORT 0: any free one),\n"
                 "               one client at a time, answering as fast as the client reads; the tool\n"
                 "               reaches it with --port socket://A\n"
                 "  --model M    panel model code: 37, 51 (default) or 56\n"
                 "  --serial N   serial number, 0 to 4294967295 (default %u)\n"
                 "  --image F    firmware updates must bring exactly this image file\n"
                 "  --trace      print every frame: RX from the tool, TX to the tool\n"
                 "  --fast       answer as fast as the tool reads, not at the pace of the link speed\n"
                 "               (a real panel's pace: ten bits a byte at the speed the tool set)\n"
                 "  --help       show this help and exit\n"
                 "  --version    print the version and exit\n",
                 static_cast<unsigned>(VirtualPanel::kDefaultSerial));
    return problem != nullptr ? 2 : 0;
}

std::optional<uint64_t> ParseNumber(std::string_view text)
{
    uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
        return std::nullopt;
    }
    return value;
}

struct Arguments {
    int com = 0;
    std::string listen;
    VirtualPanel::Options panel;
    std::vector<sim::ExpectedPacket> image;
    bool trace = false;
    bool fast = false;  // not paced at the link speed (tests)
};

// The packets of an image file, or empty with the reason in error.
std::optional<std::vector<sim::ExpectedPacket>> LoadImage(const char* path, std::string& error)
{
    // The largest image a header can announce: 65535 records after the header.
    constexpr std::streamoff kLargestImage = 28 + 65535 * 208;
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = std::string("cannot open ") + path;
        return std::nullopt;
    }
    file.seekg(0, std::ios::end);
    const std::streamoff size = file.tellg();
    if (size < 0 || size > kLargestImage + 1024 * 1024) {
        error = std::string(path) + " is too large for an image";
        return std::nullopt;
    }
    file.seekg(0);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    return sim::ReadExpectedImage(bytes, &error);
}

// Empty with a message printed when the arguments are not usable.
std::optional<Arguments> ParseArguments(int argc, char** argv, const char* version, int& exitCode)
{
    Arguments arguments;
    bool haveCom = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (option == "--help" || option == "-h") {
            exitCode = Usage(nullptr);
            return std::nullopt;
        }
        if (option == "--version") {
            std::printf("quorvel-panel %s\n", version);
            exitCode = 0;
            return std::nullopt;
        }
        if (option == "--fast") {
            arguments.fast = true;
            continue;
        }
        if (option == "--trace") {
            arguments.trace = true;
            continue;
        }
        if (option == "--listen") {
            if (i + 1 >= argc) {
                exitCode = Usage("--listen needs ADDRESS:PORT");
                return std::nullopt;
            }
            arguments.listen = argv[++i];
            std::string problem;
            if (!TcpHost::CheckAddress(arguments.listen, &problem)) {
                exitCode = Usage(problem.c_str());
                return std::nullopt;
            }
            continue;
        }
        if (option == "--image") {
            if (i + 1 >= argc) {
                exitCode = Usage("--image needs a file");
                return std::nullopt;
            }
            std::string error;
            auto image = LoadImage(argv[++i], error);
            if (!image) {
                exitCode = Usage(("--image: " + error).c_str());
                return std::nullopt;
            }
            arguments.image = std::move(*image);
            continue;
        }
        if (option != "--com" && option != "--model" && option != "--serial") {
            exitCode = Usage(("unknown argument: " + std::string(option)).c_str());
            return std::nullopt;
        }
        if (i + 1 >= argc) {
            exitCode = Usage((std::string(option) + " needs a value").c_str());
            return std::nullopt;
        }
        const auto value = ParseNumber(argv[++i]);
        if (option == "--com") {
            if (!value || *value < kFirstComNumber || *value > kLastComNumber) {
                exitCode = Usage("--com takes a number from 1 to 255");
                return std::nullopt;
            }
            arguments.com = static_cast<int>(*value);
            haveCom = true;
        } else if (option == "--model") {
            if (!value || (*value != 37 && *value != 51 && *value != 56)) {
                exitCode = Usage("--model takes 37, 51 or 56");
                return std::nullopt;
            }
            arguments.panel.model = static_cast<uint8_t>(*value);
        } else {
            if (!value || *value > UINT32_MAX) {
                exitCode = Usage("--serial takes a number from 0 to 4294967295");
                return std::nullopt;
            }
            arguments.panel.serial = static_cast<uint32_t>(*value);
        }
    }
    if (!haveCom && arguments.listen.empty()) {
        exitCode = Usage("--com or --listen is required");
        return std::nullopt;
    }
    return arguments;
}

bool InstallStopHandlers()
{
    if (::pipe(g_wakePipe) != 0) {
        return false;
    }
    for (const int fd : g_wakePipe) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    // A closed terminal (SIGHUP) stops the panel like Ctrl+C, and a closed
    // trace reader (SIGPIPE) must not kill it: either way the registration
    // would otherwise outlive the process.
    ::signal(SIGPIPE, SIG_IGN);
    return sigaction(SIGINT, &action, nullptr) == 0 && sigaction(SIGTERM, &action, nullptr) == 0 &&
           sigaction(SIGHUP, &action, nullptr) == 0;
}

}  // namespace

int RunStandalonePanel(int argc, char** argv, const char* version)
{
    int exitCode = 0;
    const auto arguments = ParseArguments(argc, argv, version, exitCode);
    if (!arguments) {
        return exitCode;
    }
    if (!InstallStopHandlers()) {
        std::fprintf(stderr, "quorvel-panel: cannot install signal handlers: %s\n", std::strerror(errno));
        return 1;
    }

    // A user with no sensor at hand can still enrol one.
    VirtualPanel::Options options = arguments->panel;
    options.autoTriggerRf = true;
    VirtualPanel panel(options);
    panel.Bootloader().ExpectImage(std::move(arguments->image));
    std::string error;
    std::unique_ptr<PtyHost> host;
    if (arguments->com != 0) {
        host = PtyHost::Open(panel, DefaultPortFolder(), arguments->com, &error);
        if (!host) {
            std::fprintf(stderr, "quorvel-panel: %s\n", error.c_str());
            return 1;
        }
        host->SetPaced(!arguments->fast);
    }
    std::unique_ptr<TcpHost> tcp;
    if (!arguments->listen.empty()) {
        tcp = TcpHost::Listen(panel, arguments->listen, &error);
        if (!tcp) {
            std::fprintf(stderr, "quorvel-panel: %s\n", error.c_str());
            return 1;
        }
    }
    if (arguments->trace) {
        const auto print = [](VirtualPanel::Direction direction, const std::vector<uint8_t>& frame) {
            std::fprintf(stdout, "%s\n", sim::FormatTraceLine(std::chrono::system_clock::now(), direction, frame).c_str());
            std::fflush(stdout);
        };
        if (host) {
            host->SetTrace([](const std::string& line) {
                std::fprintf(stdout, "%s\n", line.c_str());
                std::fflush(stdout);
            });
        } else {
            panel.SetFrameObserver(print);
        }
    }
    if (host) std::printf("quorvel-panel: COM%d -> %s\n", host->ComNumber(), host->DevicePath().c_str());
    if (tcp) std::printf("quorvel-panel: listening on %s\n", tcp->Address().c_str());
    std::fflush(stdout);

    using Clock = std::chrono::steady_clock;
    auto nextTick = Clock::now() + std::chrono::seconds(1);
    bool stop = false;
    while (!stop) {
        auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(nextTick - Clock::now());
        // Paced output waits for its time, not for the terminal to be writable.
        const bool ptyPending = host && host->HasPendingOutput();
        const auto untilNextByte = host ? host->UntilNextByte() : std::chrono::nanoseconds(0);
        const bool mayWrite = ptyPending && untilNextByte.count() == 0;
        if (ptyPending && !mayWrite) {
            wait = std::min(wait, std::max(std::chrono::milliseconds(1),
                                           std::chrono::ceil<std::chrono::milliseconds>(untilNextByte)));
        }
        // A client's close is seen at once: one killed holding the terminal
        // for itself must not lock out the next (poll skips a -1).
        pollfd fds[5] = {
            {host ? host->MasterFd() : -1, static_cast<short>(POLLIN | (mayWrite ? POLLOUT : 0)), 0},
            {g_wakePipe[0], POLLIN, 0},
            {host ? host->ClientCloseFd() : -1, POLLIN, 0},
            {tcp ? tcp->ListenFd() : -1, POLLIN, 0},
            {tcp ? tcp->ClientFd() : -1, static_cast<short>(POLLIN | (tcp && tcp->HasPendingOutput() ? POLLOUT : 0)), 0},
        };
        const int ready = ::poll(fds, 5, static_cast<int>(std::max<int64_t>(0, wait.count())));
        if (ready < 0 && errno != EINTR) {
            std::fprintf(stderr, "quorvel-panel: poll: %s\n", std::strerror(errno));
            exitCode = 1;
            break;
        }
        if (ready > 0 && (fds[1].revents & POLLIN) != 0) {
            stop = true;
        }
        if (host && ready > 0 && (fds[2].revents & POLLIN) != 0) {
            host->ReleaseStaleExclusiveUse();
        }
        if (host && ((ready > 0 && (fds[0].revents & (POLLIN | POLLOUT)) != 0) || (ptyPending && !mayWrite))) {
            host->Pump();
        }
        if (tcp && ready > 0 && (fds[3].revents & POLLIN) != 0) tcp->Accept();
        if (tcp && ready > 0 && fds[4].fd >= 0 && fds[4].revents != 0) tcp->Pump();
        const auto now = Clock::now();
        if (now >= nextTick) {
            // One tick of the panel: what it says on its own goes to the
            // terminal when there is one, else to the TCP client.
            if (host) host->Tick();
            else if (tcp) tcp->Tick();
            nextTick += std::chrono::seconds(1);
            if (nextTick <= now) {
                nextTick = now + std::chrono::seconds(1);  // fell behind: do not race to catch up
            }
        }
    }
    host.reset();  // removes the registration
    return exitCode;
}
