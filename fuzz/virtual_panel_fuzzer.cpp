// The virtual panel's receiver must survive any tool: any bytes, in any
// pieces, with its faults switched on by the input.
//
// Input: a set-up byte (bits 0-1 the model, bit 2 a sensor that triggers itself,
// bits 3-4 the noise, bits 5-7 the chunking), a seed byte, then the stream.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz_input.h"
#include "sim/virtual_panel.h"

namespace {

constexpr std::uint8_t kModels[] = {37, 51, 56, 57};
constexpr std::size_t kKinds = 8;  // model and automatic trigger, the set-up's low 3 bits

VirtualPanel FactoryPanel(std::size_t kind)
{
    VirtualPanel::Options options;
    options.model = kModels[kind & 3];
    options.autoTriggerRf = (kind & 4) != 0;
    return VirtualPanel(options);
}

// Panels as they leave the factory, one of each kind, built once.
const std::array<VirtualPanel, kKinds>& Factories()
{
    static const std::array<VirtualPanel, kKinds> factories = {
        FactoryPanel(0), FactoryPanel(1), FactoryPanel(2), FactoryPanel(3),
        FactoryPanel(4), FactoryPanel(5), FactoryPanel(6), FactoryPanel(7),
    };
    return factories;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const std::uint8_t setup = input.Byte();
    const std::uint8_t seed = input.Byte();
    // A working panel per kind, put back as it left the factory when the
    // input ends: building one (its RF table, its blocks) cost more than
    // most inputs, and a panel only ever reset from its own kind keeps its
    // blocks' storage, so a reset allocates nothing.
    static std::array<VirtualPanel, kKinds> panels = Factories();
    const std::size_t kind = setup & 7;
    VirtualPanel& panel = panels[kind];
    panel.Reseed(seed);
    panel.SetNoise((setup >> 3) & 3);
    panel.SetChunking(setup >> 5);
    PieceSizes pieces(seed, 64);
    while (!input.Empty()) {
        const std::vector<std::uint8_t> bytes = input.Bytes(pieces.Next());
        const std::vector<std::uint8_t> answer = panel.Feed(bytes.data(), bytes.size());
        // The host's cut of the answer: pieces of the asked size that add up.
        std::size_t delivered = 0;
        for (const std::size_t piece : panel.DeliveryPieces(answer.size())) {
            if (piece == 0 || (panel.ChunkingMax() != 0 && piece > panel.ChunkingMax())) std::abort();
            delivered += piece;
        }
        if (delivered != answer.size()) std::abort();
        if ((bytes[0] & 0x0F) == 0) panel.CorruptNextCrc();
        panel.Tick();
    }
    panel = Factories()[kind];
    return 0;
}
