// quorvel-image: writes a firmware image file that the tool accepts, for
// trying an update against the software panel. The packets carry a test
// pattern, not a firmware.
//
//   quorvel-image --model 37|51|56 --firmware-id V --packets N [--image-word W] FILE

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <optional>
#include <string_view>

#include "core/firmware/image_builder.h"
#include "core/files/safe_file.h"

namespace {

int Usage(const char* problem)
{
    if (problem != nullptr) std::fprintf(stderr, "quorvel-image: %s\n", problem);
    std::fprintf(stderr,
                 "usage: quorvel-image --model 37|51|56 --firmware-id V --packets N [--image-word W] FILE\n"
                 "  --model M        model code of the panel the image is for\n"
                 "  --firmware-id V  version byte of the image, 0 to 255 (0x22 is V2.02)\n"
                 "  --packets N      number of packets, 1 to %zu\n"
                 "  --image-word W   16-bit value announced at the start (default 256)\n",
                 kMaxImagePackets);
    return 2;
}

// Decimal, or hexadecimal after 0x.
std::optional<std::uint32_t> ParseNumber(std::string_view text)
{
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace

int main(int argc, char** argv)
{
    ReportOversizedWritesAsErrors();
    ImagePlan plan;
    plan.buildTime = static_cast<std::uint32_t>(std::time(nullptr));
    const char* path = nullptr;
    bool haveModel = false, haveId = false, haveCount = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (option == "--help" || option == "-h") {
            Usage(nullptr);
            return 0;
        }
        if (option.substr(0, 2) != "--") {
            if (path != nullptr) return Usage("only one output file");
            path = argv[i];
            continue;
        }
        if (i + 1 >= argc) return Usage("an option needs a value");
        const auto value = ParseNumber(argv[++i]);
        if (option == "--model") {
            if (!value || (*value != 37 && *value != 51 && *value != 56)) return Usage("--model takes 37, 51 or 56");
            plan.modelCode = static_cast<std::uint8_t>(*value);
            haveModel = true;
        } else if (option == "--firmware-id") {
            if (!value || *value > 255) return Usage("--firmware-id takes 0 to 255");
            plan.firmwareId = static_cast<std::uint8_t>(*value);
            haveId = true;
        } else if (option == "--packets") {
            if (!value || *value < 1 || *value > kMaxImagePackets) return Usage("--packets takes 1 to 2614");
            plan.packetCount = static_cast<std::uint16_t>(*value);
            haveCount = true;
        } else if (option == "--image-word") {
            if (!value || *value > 0xFFFF) return Usage("--image-word takes 0 to 65535");
            plan.imageWord = static_cast<std::uint16_t>(*value);
        } else {
            return Usage("unknown option");
        }
    }
    if (!haveModel || !haveId || !haveCount || path == nullptr) return Usage("model, firmware ID, packets and file are required");

    const std::vector<std::uint8_t> bytes = ImageFileBytes(plan);
    // An image holds no panel data: created as the umask allows.
    const std::string error = WriteFileAtomically(
        path, {reinterpret_cast<const char*>(bytes.data()), bytes.size()}, Privacy::Plain);
    if (!error.empty()) {
        std::fprintf(stderr, "quorvel-image: cannot write %s: %s\n", path, error.c_str());
        return 1;
    }
    std::printf("quorvel-image: %s: model %u, firmware ID 0x%02X, %u packets, %zu bytes\n", path,
                static_cast<unsigned>(plan.modelCode), static_cast<unsigned>(plan.firmwareId),
                static_cast<unsigned>(plan.packetCount), bytes.size());
    return 0;
}
