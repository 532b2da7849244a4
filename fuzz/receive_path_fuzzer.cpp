// The receive path as the tool runs it: the byte stream cut into pieces at
// arbitrary points, through the assembler, every frame dispatched to the
// real handling of its type.
//
// Input: one byte (bit 0: a write is pending; the rest seed the cuts), then
// the stream.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/link/frame_assembler.h"
#include "core/link/frame_dispatcher.h"
#include "fuzz_input.h"
#include "fuzz_receivers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const std::uint8_t setup = input.Byte();
    FuzzReceivers receivers;
    receivers.SetWritePending((setup & 1) != 0);
    FrameDispatcher sink;
    sink.receivers() = receivers.Receivers();
    FrameAssembler assembler;
    PieceSizes pieces(setup, 64);
    while (!input.Empty()) {
        const std::vector<std::uint8_t> bytes = input.Bytes(pieces.Next());
        assembler.Feed(bytes.data(), bytes.size(), sink);
        receivers.Tick();
    }
    return 0;
}
