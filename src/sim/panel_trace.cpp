#include "sim/panel_trace.h"

#include <cstdio>
#include <ctime>

namespace sim {

std::string HexBytes(const std::vector<uint8_t>& bytes)
{
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 3);
    for (const uint8_t byte : bytes) {
        if (!text.empty()) {
            text += ' ';
        }
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

std::string DescribeFrame(VirtualPanel::Direction direction, const std::vector<uint8_t>& frame)
{
    const auto decoded = DecodeFrame(frame.data(), frame.size());
    if (!decoded) {
        return "not a frame";
    }
    std::string name = direction == VirtualPanel::Direction::FromTool ? CommandName(decoded->type)
                                                                      : FrameTypeName(decoded->type);
    if (name.empty()) {
        name = (direction == VirtualPanel::Direction::FromTool ? "command " : "type ") +
               std::to_string(decoded->type);
    }
    if (!decoded->crcOk) {
        name += " (bad CRC)";
    }
    return name;
}

std::string FormatTraceLine(std::chrono::system_clock::time_point when,
                            VirtualPanel::Direction direction,
                            const std::vector<uint8_t>& frame)
{
    using namespace std::chrono;
    const std::time_t seconds = system_clock::to_time_t(when);
    const auto millis = duration_cast<milliseconds>(when.time_since_epoch()).count() % 1000;
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &seconds);
#else
    localtime_r(&seconds, &local);
#endif
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min,
                  local.tm_sec, static_cast<int>(millis));
    return std::string(stamp) + (direction == VirtualPanel::Direction::FromTool ? " RX " : " TX ") +
           HexBytes(frame) + "  " + DescribeFrame(direction, frame);
}

}  // namespace sim
