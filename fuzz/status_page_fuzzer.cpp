// The status-page decoders: the input as a whole status payload, then as
// the data of every page code at its exact length and one byte either side.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/diagnostics/status_pages.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    DecodeStatusFrame(std::vector<std::uint8_t>(data, data + size).data(), size);
    for (int code = 0; code < 256; ++code) {
        const std::optional<std::size_t> length = StatusPageLength(static_cast<std::uint8_t>(code));
        if (!length) continue;
        for (std::size_t each : {*length - 1, *length, *length + 1}) {
            // The page code first, then the input, cut or padded with zeros.
            std::vector<std::uint8_t> payload(each);
            if (each > 0) payload[0] = static_cast<std::uint8_t>(code);
            for (std::size_t i = 1; i < each && i - 1 < size; ++i) payload[i] = data[i - 1];
            DecodeStatusFrame(payload.data(), payload.size());
        }
    }
    return 0;
}
