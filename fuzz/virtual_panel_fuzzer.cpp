// The virtual panel's receiver must survive any tool: any bytes, in any
// pieces, with its faults switched on by the input.
//
// Input: a set-up byte (bits 0-1 the model, bit 2 a sensor that triggers itself,
// bits 3-4 the noise, bits 5-7 the chunking), a seed byte, then the stream.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_input.h"
#include "sim/virtual_panel.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const std::uint8_t setup = input.Byte();
    const std::uint8_t seed = input.Byte();
    constexpr std::uint8_t kModels[] = {37, 51, 56, 57};
    VirtualPanel::Options options;
    options.model = kModels[setup & 3];
    options.autoTriggerRf = (setup & 4) != 0;
    options.seed = seed;
    VirtualPanel panel(options);
    panel.SetNoise((setup >> 3) & 3);
    panel.SetChunking(setup >> 5);
    PieceSizes pieces(seed, 64);
    while (!input.Empty()) {
        const std::vector<std::uint8_t> bytes = input.Bytes(pieces.Next());
        const std::vector<std::uint8_t> answer = panel.Feed(bytes.data(), bytes.size());
        panel.SplitForDelivery(answer);
        if ((bytes[0] & 0x0F) == 0) panel.CorruptNextCrc();
        panel.Tick();
    }
    return 0;
}
