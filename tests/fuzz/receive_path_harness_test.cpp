// The receive-path harness, called as libFuzzer calls it: packet requests in
// its input must reach the update machine's packet path, served from the
// loaded image, and every input must start from the same run.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "core/link/frame.h"
#include "fuzz_receivers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kPacketRequest = 9;
constexpr std::uint8_t kUpdateResult = 10;
constexpr std::uint8_t kFirmwareId = 0x22;  // the harness's image: 8 packets

Bytes Frame(std::uint8_t type, const Bytes& payload)
{
    Bytes frame(kMaxSendFrame);
    frame.resize(BuildFrame(type, payload.data(), payload.size(), frame.data()));
    return frame;
}

Bytes Request(std::uint8_t firmwareId, std::uint8_t packet) { return Frame(kPacketRequest, {firmwareId, 0, packet}); }

// The set-up byte, then the frames one after another.
Bytes Input(std::uint8_t setup, std::initializer_list<Bytes> frames)
{
    Bytes input{setup};
    for (const Bytes& frame : frames) input.insert(input.end(), frame.begin(), frame.end());
    return input;
}

std::size_t PacketsServedBy(const Bytes& input)
{
    const std::size_t before = FuzzReceivers::PacketsServed();
    LLVMFuzzerTestOneInput(input.data(), input.size());
    return FuzzReceivers::PacketsServed() - before;
}

TEST(ReceivePathHarness, PacketRequestsReachTheUpdateMachinesPacketPath)
{
    Bytes everyPacket{7};  // cut in pieces, with ticks between them
    for (std::uint8_t n = 1; n <= 8; ++n) {
        const Bytes request = Request(kFirmwareId, n);
        everyPacket.insert(everyPacket.end(), request.begin(), request.end());
    }
    const struct {
        const char* what;
        Bytes input;
        std::size_t served;
    } cases[] = {
        {"the first packet", Input(0, {Request(kFirmwareId, 1)}), 1},
        {"every packet of the image", everyPacket, 8},
        {"one past the image", Input(0, {Request(kFirmwareId, 9)}), 0},
        {"another firmware id", Input(0, {Request(kFirmwareId + 1, 1)}), 0},
        {"a result ends the run first", Input(0, {Frame(kUpdateResult, {2}), Request(kFirmwareId, 1)}), 0},
        // The previous input ended its run; this one finds the run going.
        {"the next input starts afresh", Input(1, {Request(kFirmwareId, 8)}), 1},
    };
    for (const auto& c : cases) EXPECT_EQ(PacketsServedBy(c.input), c.served) << c.what;
}

}  // namespace
