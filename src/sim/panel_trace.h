#pragma once
// One readable line per frame on the link, for the panel's trace:
//   14:03:07.412 RX DF 04 8C 9C C0 FD  IdentifyCommand
// RX is what the panel received from the tool, TX what it sent.

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "sim/virtual_panel.h"

namespace sim {

std::string HexBytes(const std::vector<uint8_t>& bytes);

// The command (received) or frame type (sent) named, "bad CRC" when the
// frame's CRC does not match, or the number when it has no name.
std::string DescribeFrame(VirtualPanel::Direction direction, const std::vector<uint8_t>& frame);

std::string FormatTraceLine(std::chrono::system_clock::time_point when,
                            VirtualPanel::Direction direction,
                            const std::vector<uint8_t>& frame);

}  // namespace sim
