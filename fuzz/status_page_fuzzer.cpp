// The status-page decoders: the input as a whole status payload, then as
// the data of every page code at its exact length and one byte either side.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/diagnostics/status_pages.h"

namespace {

struct PagePayload {
    std::uint8_t code;
    std::vector<std::uint8_t> bytes;  // exactly the length tried, so a read past it is caught
};

// Every page code at its length and one byte either side, made once: the
// buffers are refilled for each input instead of allocated.
std::vector<PagePayload>& PagePayloads()
{
    static std::vector<PagePayload> payloads = [] {
        std::vector<PagePayload> all;
        for (int code = 0; code < 256; ++code) {
            const std::optional<std::size_t> length = StatusPageLength(static_cast<std::uint8_t>(code));
            if (!length) continue;
            for (std::size_t each : {*length - 1, *length, *length + 1}) {
                all.push_back({static_cast<std::uint8_t>(code), std::vector<std::uint8_t>(each)});
            }
        }
        return all;
    }();
    return payloads;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    DecodeStatusFrame(std::vector<std::uint8_t>(data, data + size).data(), size);
    for (PagePayload& page : PagePayloads()) {
        // The page code first, then the input, cut or padded with zeros.
        std::vector<std::uint8_t>& payload = page.bytes;
        const std::size_t each = payload.size();
        if (each > 0) payload[0] = page.code;
        for (std::size_t i = 1; i < each; ++i) payload[i] = i - 1 < size ? data[i - 1] : 0;
        DecodeStatusFrame(payload.data(), payload.size());
    }
    return 0;
}
