// quorvel-panel run as a process: listed by the port catalogue while it
// runs, gone when it is interrupted; bad arguments are refused.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "ports/port_catalogue.h"
#include "sim/panel_test_support.h"

extern char** environ;

using panel_test::Bytes;

namespace {

using Clock = std::chrono::steady_clock;

struct Child {
    pid_t pid = -1;
    int out = -1;  // stdout and stderr together
};

// Starts quorvel-panel with XDG_RUNTIME_DIR pointing at runtimeDir.
Child Start(const std::vector<std::string>& arguments, const std::string& runtimeDir)
{
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        if (std::strncmp(*entry, "XDG_RUNTIME_DIR=", 16) != 0) {
            environment.emplace_back(*entry);
        }
    }
    environment.push_back("XDG_RUNTIME_DIR=" + runtimeDir);
    std::vector<std::string> argv = {QUORVEL_PANEL_PATH};
    argv.insert(argv.end(), arguments.begin(), arguments.end());

    auto pointers = [](std::vector<std::string>& strings) {
        std::vector<char*> result;
        for (std::string& s : strings) {
            result.push_back(s.data());
        }
        result.push_back(nullptr);
        return result;
    };
    std::vector<char*> argvPointers = pointers(argv);
    std::vector<char*> envPointers = pointers(environment);

    int pipeFds[2];
    if (::pipe(pipeFds) != 0) {
        return {};
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    Child child;
    if (posix_spawn(&child.pid, argvPointers[0], &actions, nullptr, argvPointers.data(), envPointers.data()) != 0) {
        child.pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    child.out = pipeFds[0];
    return child;
}

// Reads the child's output until `until` appears in it or the output ends,
// waiting at most ten seconds.
std::string ReadOutput(int fd, const std::string& until = {})
{
    std::string text;
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < deadline) {
        if (!until.empty() && text.find(until) != std::string::npos) {
            break;
        }
        pollfd p = {fd, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0) {
            continue;
        }
        char buffer[256];
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count <= 0) {
            break;
        }
        text.append(buffer, static_cast<size_t>(count));
    }
    return text;
}

// The exit status once the output has ended (the child is gone by then).
int Finish(Child& child)
{
    ReadOutput(child.out);
    ::close(child.out);
    int status = 0;
    ::waitpid(child.pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool Listed(const SystemPortCatalogue& catalogue, int number, const std::string& device)
{
    for (const PortEntry& entry : catalogue.Scan()) {
        if (entry.number == number && entry.devicePath == device) {
            return true;
        }
    }
    return false;
}

}  // namespace

TEST(QuorvelPanelProcess, RegistersAnswersAndRemovesItselfOnInterrupt)
{
    panel_test::TemporaryFolder runtime;
    const std::filesystem::path ports = runtime.Path() / "quorvel" / "ports";
    std::filesystem::create_directories(runtime.Path() / "dev");
    const SystemPortCatalogue catalogue({ports, runtime.Path() / "dev"});

    Child child = Start({"--com", "9", "--model", "37"}, runtime.Path().string());
    ASSERT_GT(child.pid, 0);
    const std::string line = ReadOutput(child.out, "\n");
    const std::string prefix = "quorvel-panel: COM9 -> ";
    ASSERT_EQ(line.rfind(prefix, 0), 0u) << line;
    const std::string device = line.substr(prefix.size(), line.find('\n') - prefix.size());

    EXPECT_EQ(std::filesystem::read_symlink(ports / "COM9"), device);
    EXPECT_TRUE(Listed(catalogue, 9, device));

    // It answers as the model it was told to be.
    const int tool = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(tool, 0);
    termios mode{};
    tcgetattr(tool, &mode);
    cfmakeraw(&mode);
    tcsetattr(tool, TCSANOW, &mode);
    const Bytes request = sim::EncodeFrame(140);
    ASSERT_EQ(::write(tool, request.data(), request.size()), static_cast<ssize_t>(request.size()));
    const Bytes expected = sim::EncodeFrame(7, {37, 0x12, 0x78, 0xA3, 0xF6, 0xED});
    Bytes answer;
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (answer.size() < expected.size() && Clock::now() < deadline) {
        pollfd p = {tool, POLLIN, 0};
        if (::poll(&p, 1, 100) > 0) {
            uint8_t buffer[64];
            const ssize_t count = ::read(tool, buffer, sizeof buffer);
            if (count > 0) {
                answer.insert(answer.end(), buffer, buffer + count);
            }
        }
    }
    EXPECT_EQ(answer, expected);
    ::close(tool);

    ASSERT_EQ(::kill(child.pid, SIGINT), 0);
    EXPECT_EQ(Finish(child), 0);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(ports / "COM9")));
    EXPECT_FALSE(Listed(catalogue, 9, device));
}

TEST(QuorvelPanelProcess, OtherStopSignalsAlsoRemoveTheRegistration)
{
    // A terminal closed under the panel sends SIGHUP; a service manager SIGTERM.
    for (const int stop : {SIGTERM, SIGHUP}) {
        panel_test::TemporaryFolder runtime;
        const std::filesystem::path entry = runtime.Path() / "quorvel" / "ports" / "COM4";
        Child child = Start({"--com", "4"}, runtime.Path().string());
        ASSERT_GT(child.pid, 0);
        ASSERT_NE(ReadOutput(child.out, "\n").find("COM4"), std::string::npos);
        EXPECT_TRUE(std::filesystem::is_symlink(entry));
        ASSERT_EQ(::kill(child.pid, stop), 0);
        EXPECT_EQ(Finish(child), 0) << stop;
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(entry))) << stop;
    }
}

TEST(QuorvelPanelProcess, AnEntryOutlivingAKilledPanelIsDroppedByTheNextScan)
{
    // SIGKILL leaves the entry on disk; its owner record lets the tool see
    // that the panel is gone, so a later terminal on the same device path
    // is never taken for it.
    panel_test::TemporaryFolder runtime;
    const std::filesystem::path ports = runtime.Path() / "quorvel" / "ports";
    std::filesystem::create_directories(runtime.Path() / "dev");
    const SystemPortCatalogue catalogue({ports, runtime.Path() / "dev"});
    Child child = Start({"--com", "5"}, runtime.Path().string());
    ASSERT_GT(child.pid, 0);
    ASSERT_NE(ReadOutput(child.out, "\n").find("COM5"), std::string::npos);
    EXPECT_EQ(RegisteredPortNumbers(ports), std::vector<int>{5});

    ASSERT_EQ(::kill(child.pid, SIGKILL), 0);
    Finish(child);
    EXPECT_TRUE(std::filesystem::is_symlink(ports / "COM5"));
    EXPECT_TRUE(catalogue.Scan().empty());
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(ports / "COM5")));
    EXPECT_TRUE(RegisteredPortNumbers(ports).empty());
}

TEST(QuorvelPanelProcess, RefusesBadArgumentsWithUsage)
{
    panel_test::TemporaryFolder runtime;
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"--com"},
        {"--com", "0"},
        {"--com", "256"},
        {"--com", "9x"},
        {"--com", "9", "--model", "40"},
        {"--com", "9", "--serial", "4294967296"},
        {"--com", "9", "--verbose"},
    };
    for (const auto& arguments : cases) {
        Child child = Start(arguments, runtime.Path().string());
        ASSERT_GT(child.pid, 0);
        const std::string output = ReadOutput(child.out);
        EXPECT_NE(output.find("Usage: quorvel-panel"), std::string::npos) << output;
        EXPECT_EQ(Finish(child), 2) << output;
    }
    EXPECT_FALSE(std::filesystem::exists(runtime.Path() / "quorvel"));
}
