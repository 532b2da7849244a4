// Every block codec on any answer: first as it came, then with each known
// block id in front, so each codec sees its own block at every length.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/link/config_answer_handling.h"
#include "fuzz_receivers.h"

namespace {

void Decode(const std::vector<std::uint8_t>& payload)
{
    ConfigAnswerHandling::AcceptedBlock(payload.data(), payload.size());
    DecodeBlockAnswer(payload.data(), payload.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Decode(std::vector<std::uint8_t>(data, data + size));
    std::vector<std::uint8_t> payload(size + 1);
    for (std::size_t i = 0; i < size; ++i) payload[i + 1] = data[i];
    for (std::uint8_t id : kFuzzBlockIds) {
        payload[0] = id;
        Decode(payload);
    }
    return 0;
}
