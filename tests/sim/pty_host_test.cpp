// The software panel behind a pseudo-terminal, reached like a serial port.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/wait.h>

#include <cerrno>
#include <csignal>
#include <termios.h>
#include <unistd.h>

#include <chrono>

#include "sim/panel_test_support.h"
#include "sim/pty_host.h"

using panel_test::Bytes;

namespace {

const Bytes kIdentify = sim::EncodeFrame(140);

int OpenLikeATool(const std::string& device)
{
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        termios mode{};
        tcgetattr(fd, &mode);
        cfmakeraw(&mode);
        tcsetattr(fd, TCSANOW, &mode);
    }
    return fd;
}

// Pumps the host until the tool's side has read `wanted` bytes or five
// seconds have passed, waiting in poll() rather than sleeping.
Bytes Exchange(PtyHost& host, int tool, const Bytes& request, size_t wanted)
{
    EXPECT_EQ(::write(tool, request.data(), request.size()), static_cast<ssize_t>(request.size()));
    Bytes received;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (received.size() < wanted && std::chrono::steady_clock::now() < deadline) {
        pollfd fds[2] = {{host.MasterFd(), POLLIN, 0}, {tool, POLLIN, 0}};
        ::poll(fds, 2, host.HasPendingOutput() ? 0 : 50);
        host.Pump();
        uint8_t buffer[256];
        const ssize_t count = ::read(tool, buffer, sizeof buffer);
        if (count > 0) {
            received.insert(received.end(), buffer, buffer + count);
        }
    }
    return received;
}

class PtyHostTest : public ::testing::Test {
protected:
    panel_test::TemporaryFolder folder_;
    // A port folder is trusted only inside a folder of the user's own.
    const std::filesystem::path ports_ = folder_.Path() / "ports";
    VirtualPanel panel_;
};

}  // namespace

TEST_F(PtyHostTest, AnswersThroughTheTerminalAcrossReopens)
{
    std::string error;
    auto host = PtyHost::Open(panel_, ports_, 7, &error);
    ASSERT_TRUE(host) << error;
    EXPECT_EQ(host->ComNumber(), 7);
    EXPECT_EQ(std::filesystem::read_symlink(ports_ / "COM7"), host->DevicePath());

    const Bytes answer = VirtualPanel().Feed(kIdentify);
    int tool = OpenLikeATool(host->DevicePath());
    ASSERT_GE(tool, 0);
    EXPECT_EQ(Exchange(*host, tool, kIdentify, answer.size()), answer);

    // The tool closes and opens the port again; the panel is still there and
    // delivers in small pieces now, which must not change the bytes.
    ::close(tool);
    host->Pump();
    // No hang-up on the host's side while the port is closed: a host driven
    // by readiness would otherwise spin.
    pollfd master = {host->MasterFd(), POLLIN, 0};
    EXPECT_EQ(::poll(&master, 1, 0), 0);
    panel_.SetChunking(2);
    tool = OpenLikeATool(host->DevicePath());
    ASSERT_GE(tool, 0);
    const Bytes twoAnswers = panel_test::Concat({answer, answer});
    EXPECT_EQ(Exchange(*host, tool, panel_test::Concat({kIdentify, kIdentify}), twoAnswers.size()), twoAnswers);
    EXPECT_EQ(panel_.CommandCount(140), 3u);
    ::close(tool);
}

TEST_F(PtyHostTest, VanishingHangsUpTheToolAndRemovesTheEntry)
{
    auto host = PtyHost::Open(panel_, ports_, 3);
    ASSERT_TRUE(host);
    const int tool = OpenLikeATool(host->DevicePath());
    ASSERT_GE(tool, 0);

    host->Vanish();
    EXPECT_TRUE(host->Vanished());
    EXPECT_EQ(host->Pump(), 0u);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(ports_ / "COM3")));

    pollfd fd = {tool, POLLIN, 0};
    ASSERT_EQ(::poll(&fd, 1, 5000), 1);
    EXPECT_NE(fd.revents & (POLLHUP | POLLERR), 0);
    ::close(tool);
}

TEST_F(PtyHostTest, DestructionRemovesTheEntryAndBadNumbersAreRefused)
{
    {
        auto host = PtyHost::Open(panel_, ports_, 12);
        ASSERT_TRUE(host);
        EXPECT_TRUE(std::filesystem::is_symlink(ports_ / "COM12"));
    }
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(ports_ / "COM12")));

    std::string error;
    EXPECT_FALSE(PtyHost::Open(panel_, ports_, 256, &error));
    EXPECT_NE(error.find("256"), std::string::npos);

    auto unregistered = PtyHost::Open(panel_, ports_, 0);
    ASSERT_TRUE(unregistered);
    EXPECT_EQ(unregistered->ComNumber(), 0);
    EXPECT_TRUE(std::filesystem::is_empty(ports_));
}

TEST(PtyHost, DeliversWhatThePanelSaysOnItsOwn)
{
    panel_test::TemporaryFolder folder;
    VirtualPanel::Options options;
    options.autoTriggerRf = true;
    VirtualPanel panel(options);
    auto host = PtyHost::Open(panel, folder.Path(), 0);
    ASSERT_TRUE(host);
    const int tool = OpenLikeATool(host->DevicePath());
    ASSERT_GE(tool, 0);
    const Bytes ack = sim::EncodeFrame(sim::kAckFrame);
    EXPECT_EQ(Exchange(*host, tool, sim::EncodeFrame(sim::kRfLearnCommand, {7}), ack.size()), ack);

    // Ticks bring the automatic trigger; a trigger on demand leaves with the next pump.
    for (int tick = 0; tick < 3; ++tick) host->Tick();
    const auto automatic = panel_test::Frames(Exchange(*host, tool, {}, 9));
    ASSERT_EQ(automatic.size(), 1u);
    EXPECT_EQ(automatic[0].type, sim::kRfCodeReportFrame);
    ASSERT_TRUE(panel.TriggerRfSensor(0x12345A));
    EXPECT_EQ(Exchange(*host, tool, {}, 9), sim::EncodeFrame(sim::kRfCodeReportFrame, {0x12, 0x34, 0x5A}));
    ::close(tool);
}


#if defined(__linux__)
// A client that takes the terminal for itself and is killed outright never
// clears the flag; the host clears it once no one holds the terminal, and
// not while a client does. The flag is checked, not the permission: the
// suite may run as root, whom the flag does not stop.
TEST_F(PtyHostTest, AClientKilledHoldingTheTerminalDoesNotLockOutTheNext)
{
    const auto host = PtyHost::Open(panel_, ports_, 0);
    ASSERT_TRUE(host);
    const auto exclusive = [&] {
        int flag = 0;
        const int fd = OpenLikeATool(host->DevicePath());
        if (fd < 0) return errno == EBUSY;  // how the flag stops anyone but root
        ::ioctl(fd, TIOCGEXCL, &flag);
        ::close(fd);
        return flag != 0;
    };
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t client = ::fork();
    ASSERT_GE(client, 0);
    if (client == 0) {
        const int fd = OpenLikeATool(host->DevicePath());
        ::ioctl(fd, TIOCEXCL);
        const char byte = 1;
        [[maybe_unused]] const ssize_t written = ::write(ready[1], &byte, 1);
        ::pause();
        ::_exit(0);
    }
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    EXPECT_FALSE(host->ReleaseStaleExclusiveUse());  // the client still holds it
    EXPECT_TRUE(exclusive());

    ::kill(client, SIGKILL);
    ::waitpid(client, nullptr, 0);
    EXPECT_TRUE(exclusive());
    host->Tick();
    EXPECT_FALSE(exclusive());
    ::close(ready[0]);
    ::close(ready[1]);
}
#endif

// Paced, the panel's answers take at least their wire time at the speed the
// tool set (ten bits a byte); fast, far less (measured at 9600 bit/s, where
// the wire time is long enough to stand above a busy machine's delays). Ten
// identifications at once make an answer long enough to measure.
TEST_F(PtyHostTest, PacedAnswersTakeTheirWireTime)
{
    Bytes request;
    for (int i = 0; i < 10; ++i) request.insert(request.end(), kIdentify.begin(), kIdentify.end());
    VirtualPanel reference;
    const size_t wanted = reference.Feed(request).size();
    struct Case {
        bool paced;
        speed_t speed;
        double bitsPerSecond;
    };
    for (const Case c : {Case{true, B115200, 115200}, Case{false, B9600, 9600}}) {
        SCOPED_TRACE(c.paced ? "paced" : "fast");
        const double wireSeconds = static_cast<double>(wanted) * 10 / c.bitsPerSecond;
        VirtualPanel panel;
        const auto host = PtyHost::Open(panel, ports_, 0);
        ASSERT_TRUE(host);
        host->SetPaced(c.paced);
        const int tool = OpenLikeATool(host->DevicePath());
        termios mode{};
        tcgetattr(tool, &mode);
        cfsetispeed(&mode, c.speed);
        cfsetospeed(&mode, c.speed);
        tcsetattr(tool, TCSANOW, &mode);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Exchange(*host, tool, request, wanted).size(), wanted);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (c.paced) {
            EXPECT_GE(seconds, 0.8 * wireSeconds);
        } else {
            EXPECT_LT(seconds, 0.5 * wireSeconds);
        }
        ::close(tool);
    }
}
