#pragma once
// The arm and disarm commands carry the user's code as a 16-bit number
// (not as digits) and the partition: [code high, code low, partition].

#include <cstdint>

#include "core/link/outgoing.h"

// Partition 1, 2 or 3, as chosen by the window's three buttons.
inline Outgoing ArmRequest(bool arm, std::int32_t userCode, std::uint8_t partition)
{
    // Only the low 16 bits travel, as for every number typed into the tool.
    const auto code = static_cast<std::uint16_t>(userCode);
    return MakeOutgoing(arm ? CommandCode::ArmCommand : CommandCode::DisarmCommand,
                        {static_cast<std::uint8_t>(code >> 8), static_cast<std::uint8_t>(code), partition});
}
