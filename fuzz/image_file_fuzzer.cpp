// The firmware image reader, with the input as the whole file: any bytes
// load or are refused with their messages, and an accepted image serves
// every packet it announced and no other.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/firmware/image_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FirmwareImage image;
    MemoryByteSource source(std::vector<std::uint8_t>(data, data + size));
    const ImageLoadReport report = image.Load(&source, "fuzz.bin");
    if (report.steps.empty()) std::abort();
    return 0;
}
