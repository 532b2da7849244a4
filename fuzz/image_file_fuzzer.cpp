// The firmware image reader, with the input as the whole file: any bytes
// load or are refused with their messages, and an accepted image serves
// every packet it announced and no other. One image is reused for every
// input, as the window reuses its own, so each load also proves that
// nothing of an earlier file survives it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/firmware/image_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static FirmwareImage image;
    MemoryByteSource source(std::vector<std::uint8_t>(data, data + size));
    const ImageLoadReport report = image.Load(&source, "fuzz.bin");
    if (report.steps.empty()) std::abort();
    if (report.accepted) {
        const std::uint32_t count = image.Header().packetCount;
        for (std::uint32_t n = 1; n <= count; ++n) {
            if (image.Packet(n) == nullptr) std::abort();
        }
        if (image.Packet(count + 1) != nullptr) std::abort();
    }
    return 0;
}
