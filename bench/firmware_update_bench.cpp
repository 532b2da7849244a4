// A whole firmware update of 2614 packets, tool side against the software
// panel on a pseudo-terminal (no baud limit). The tool side is what the
// update window runs, without widgets: the assembler, DispatchFrame and the
// update machine with its two timers, writing each answer as it is made.
//
// Reports, from the first packet request to the result: packets per second,
// and the tool's own time per packet (receive, dispatch, answer, write) as a
// share of the 18.7 ms one packet costs on the wire at 115200 bit/s.

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "core/firmware/image_builder.h"
#include "core/firmware/image_file.h"
#include "core/firmware/update_machine.h"
#include "core/link/frame.h"
#include "core/link/frame_assembler.h"
#include "core/link/frame_dispatcher.h"
#include "core/panel/device_identity.h"
#include "sim/pty_host.h"
#include "sim/virtual_panel.h"

namespace {

using Clock = std::chrono::steady_clock;

// Request (9 bytes) and answer (206 bytes), 10 bits a byte at 115200 bit/s.
constexpr double kWireSecondsPerPacket = (9.0 + 206.0) * 10.0 / 115200.0;

class ToolSide final : public LinkReceiver, public FirmwareUpdateReceiver {
public:
    ToolSide(int fd, const FirmwareImage& image) : fd_(fd), machine_(image)
    {
        dispatcher_.receivers().link = this;
        dispatcher_.receivers().firmwareUpdate = this;
    }

    void Feed(const std::uint8_t* bytes, std::size_t count) { assembler_.Feed(bytes, count, dispatcher_); }
    void Apply(const UpdateEffects& fx)
    {
        if (fx.send) {
            std::uint8_t frame[kMaxSendFrame];
            const std::size_t size = BuildFrame(fx.send->command, fx.send->payload.data(), fx.send->payload.size(), frame);
            std::size_t written = 0;
            while (written < size) {
                const ssize_t n = ::write(fd_, frame + written, size - written);
                if (n > 0) written += static_cast<std::size_t>(n);
                else if (n < 0 && errno != EAGAIN && errno != EINTR) return;
            }
            if (fx.send->command == 145) {
                ++packetsSent;
                if (packetsSent == 1) firstPacket = Clock::now();
            }
        }
        if (fx.message) {
            finished = true;
            success = fx.message->information;
        }
    }

    UpdateMachine& Machine() { return machine_; }
    std::size_t packetsSent = 0;
    Clock::time_point firstPacket;
    bool finished = false;
    bool success = false;

private:
    void HandleConfigResponse(const std::uint8_t*, std::uint8_t) override {}
    void HandleIdentification(const std::uint8_t* payload, std::uint8_t length) override
    {
        if (const auto id = ParseIdentification(payload, length)) machine_.OnIdentification(id->model, id->version);
    }
    void HandleAckStatus() override {}
    void HandleNackStatus() override {}
    void OnPacketRequest(const std::uint8_t* payload, std::uint8_t length) override
    {
        Apply(machine_.OnPacketRequest(payload, length));
    }
    void OnUpdateResult(const std::uint8_t* payload, std::uint8_t length) override
    {
        Apply(machine_.OnUpdateResult(payload, length));
    }
    void OnUpdateAck() override { Apply(machine_.OnAck()); }
    void OnUpdateNack() override { Apply(machine_.OnNack()); }

    int fd_;
    UpdateMachine machine_;
    FrameAssembler assembler_;
    FrameDispatcher dispatcher_;
};

}  // namespace

int main()
{
    ImagePlan plan;
    plan.modelCode = 56;
    plan.packetCount = kMaxImagePackets;
    FirmwareImage image;
    MemoryByteSource source(ImageFileBytes(plan));
    if (!image.Load(&source, "bench.bin").accepted) return 1;

    VirtualPanel::Options options;
    options.model = plan.modelCode;
    VirtualPanel panel(options);
    std::string error;
    auto host = PtyHost::Open(panel, {}, 0, &error);
    if (!host) {
        std::fprintf(stderr, "pty: %s\n", error.c_str());
        return 1;
    }

    // The panel runs on its own thread, as a device would.
    std::atomic<bool> stop{false};
    std::thread panelThread([&] {
        auto nextTick = Clock::now() + std::chrono::seconds(1);
        while (!stop) {
            pollfd fd{host->MasterFd(), static_cast<short>(POLLIN | (host->HasPendingOutput() ? POLLOUT : 0)), 0};
            ::poll(&fd, 1, 20);
            if (fd.revents != 0) host->Pump();
            if (Clock::now() >= nextTick) {
                host->Tick();
                nextTick += std::chrono::seconds(1);
            }
        }
    });

    const int fd = ::open(host->DevicePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios raw{};
    ::tcgetattr(fd, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(fd, TCSANOW, &raw);

    ToolSide tool(fd, image);
    tool.Apply(tool.Machine().OnStartCancelClick(true));
    Clock::duration toolTime{};
    auto nextMachineTick = Clock::now();
    auto nextTimeoutTick = Clock::now() + std::chrono::seconds(1);
    const auto deadline = Clock::now() + std::chrono::seconds(120);
    std::uint8_t buffer[4096];
    while (!tool.finished && Clock::now() < deadline) {
        const auto now = Clock::now();
        if (now >= nextTimeoutTick) {
            tool.Machine().TimeoutTick();
            nextTimeoutTick += std::chrono::seconds(1);
        }
        if (now >= nextMachineTick) {
            tool.Apply(tool.Machine().Tick());
            nextMachineTick += std::chrono::milliseconds(50);
        }
        pollfd pfd{fd, POLLIN, 0};
        ::poll(&pfd, 1, 10);
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) continue;
        const auto start = Clock::now();
        tool.Feed(buffer, static_cast<std::size_t>(n));
        if (tool.packetsSent > 0) toolTime += Clock::now() - start;
    }
    const auto end = Clock::now();
    stop = true;
    panelThread.join();
    ::close(fd);

    if (!tool.finished || !tool.success || panel.Bootloader().PacketsReceived() != kMaxImagePackets) {
        std::fprintf(stderr, "update did not finish: %zu packets sent, panel received %zu\n", tool.packetsSent,
                     panel.Bootloader().PacketsReceived());
        return 1;
    }
    const double seconds = std::chrono::duration<double>(end - tool.firstPacket).count();
    const double toolPerPacket = std::chrono::duration<double>(toolTime).count() / tool.packetsSent;
    std::printf("packets:                 %zu\n", tool.packetsSent);
    std::printf("packet phase:            %.3f s\n", seconds);
    std::printf("packets per second:      %.0f\n", tool.packetsSent / seconds);
    std::printf("tool time per packet:    %.1f us (%.2f %% of %.1f ms on the wire at 115200)\n",
                toolPerPacket * 1e6, 100.0 * toolPerPacket / kWireSecondsPerPacket, kWireSecondsPerPacket * 1e3);
    std::printf("wall time per packet:    %.1f us (%.2f %% of the wire time)\n", seconds / tool.packetsSent * 1e6,
                100.0 * seconds / tool.packetsSent / kWireSecondsPerPacket);
    return 0;
}
