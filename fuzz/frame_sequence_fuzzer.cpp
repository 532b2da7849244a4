// Structure-aware: the input is read as a sequence of frame descriptions,
// each made into a frame with a correct CRC unless the description asks for
// a fault, so the checks past the CRC are reached at every step. The stream
// goes, cut at the input's points, both to the tool's receive path and to
// the virtual panel.
//
// One description:  flags, type, length, payload..., then the bytes the
// flags ask for (noise, CRC change, length change), in that order
//   flags bit 0  the CRC is wrong             bit 1  a noise byte before
//   bit 2  the length byte is off by the next byte   bit 3  no end byte
//   bit 4  the type byte is used as it is; otherwise it picks a known type
//   bit 5  a type-2 answer gets a known block id and that block's length
//   bits 6-7  how the frame is cut: whole, halves, bytes, or with the next
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <vector>

#include "core/link/frame.h"
#include "core/link/frame_assembler.h"
#include "core/link/frame_dispatcher.h"
#include "core/panel/block_table.h"
#include "fuzz_input.h"
#include "fuzz_receivers.h"
#include "sim/virtual_panel.h"

namespace {

constexpr std::uint8_t kKnownTypes[] = {
    1, 2, 7, 9, 10, 16, 19, 134, 149,                  // from the panel
    129, 130, 131, 140, 144, 145, 147, 159, 160, 167, 171, 172,  // to the panel
};
constexpr std::size_t kMaxPayload = kMaxParsedFrame - kFrameOverhead;

std::vector<std::uint8_t> MakeFrame(FuzzInput& input, std::uint8_t flags)
{
    std::uint8_t type = input.Byte();
    if ((flags & 0x10) == 0) type = kKnownTypes[type % std::size(kKnownTypes)];
    const std::size_t length = std::min<std::size_t>(input.Byte(), kMaxPayload);
    std::vector<std::uint8_t> payload = input.Bytes(length);
    if ((flags & 0x20) != 0 && type == 2 && !payload.empty()) {
        payload[0] = kFuzzBlockIds[payload[0] % std::size(kFuzzBlockIds)];
        if (const BlockEntry* entry = FindBlock(payload[0]); entry != nullptr && !entry->anyLength) {
            payload.resize(entry->lengths[payload.size() % 2]);
        }
    }
    std::vector<std::uint8_t> frame;
    frame.reserve(payload.size() + kFrameOverhead + 1);
    if ((flags & 0x02) != 0) frame.push_back(input.Byte());
    const std::size_t start = frame.size();
    frame.push_back(kFrameStart);
    frame.push_back(static_cast<std::uint8_t>(payload.size() + 4));
    frame.push_back(type);
    frame.insert(frame.end(), payload.begin(), payload.end());
    std::uint16_t crc = ComputeFrameCrc(frame.data() + start + 1, static_cast<std::uint16_t>(payload.size() + 2));
    if ((flags & 0x01) != 0) crc = static_cast<std::uint16_t>(crc ^ (1u + input.Byte()));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
    frame.push_back(static_cast<std::uint8_t>(crc));
    if ((flags & 0x08) == 0) frame.push_back(kFrameEnd);
    if ((flags & 0x04) != 0) frame[start + 1] = static_cast<std::uint8_t>(frame[start + 1] + input.Byte());
    return frame;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    FuzzReceivers receivers;
    FrameDispatcher sink;
    sink.receivers() = receivers.Receivers();
    FrameAssembler assembler;
    // One panel for every input, put back as it left the factory when the
    // input ends: building or copying one (its RF table, its blocks) cost
    // more than most inputs, and the reset also frees what the input made
    // the panel keep, so libFuzzer does not take it for a leak.
    static const VirtualPanel factory;
    static VirtualPanel panel;

    // Every piece is a buffer of its own, so a read past it is caught.
    const auto deliverBytes = [&](const std::uint8_t* bytes, std::size_t count) {
        assembler.Feed(bytes, count, sink);
        panel.Feed(bytes, count);
    };
    const auto deliver = [&](const std::vector<std::uint8_t>& bytes) { deliverBytes(bytes.data(), bytes.size()); };

    std::vector<std::uint8_t> held;  // a frame sent together with the next
    while (!input.Empty()) {
        const std::uint8_t flags = input.Byte();
        receivers.SetWritePending((flags & 0x01) != 0);
        const std::vector<std::uint8_t> frame = MakeFrame(input, flags);
        switch (flags >> 6) {
        case 0: deliver(frame); break;
        case 1: {
            const auto half = frame.begin() + static_cast<std::ptrdiff_t>(frame.size() / 2);
            deliver({frame.begin(), half});
            deliver({half, frame.end()});
            break;
        }
        case 2:
            // One byte on the stack: its redzones catch a read past it
            // without a heap buffer per byte.
            for (const std::uint8_t each : frame) {
                const std::uint8_t byte = each;
                deliverBytes(&byte, 1);
            }
            break;
        default: held.insert(held.end(), frame.begin(), frame.end()); continue;
        }
        if (!held.empty()) {
            deliver(held);
            held.clear();
        }
        receivers.Tick();
    }
    deliver(held);
    panel = factory;
    return 0;
}
