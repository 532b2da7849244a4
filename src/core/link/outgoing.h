#pragma once
// A command to send to the panel: its command byte and its payload. Every
// machine and every request returns this one shape; the session frames it
// and checks its length against the frame's limit, in one place.

#include <cstdint>
#include <utility>
#include <vector>

#include "core/link/commands.h"

struct Outgoing {
    std::uint8_t command = 0;
    std::vector<std::uint8_t> payload;

    bool operator==(const Outgoing&) const = default;
};

inline Outgoing MakeOutgoing(CommandCode code, std::vector<std::uint8_t> payload = {})
{
    return {CommandByte(code), std::move(payload)};
}

// The requests of the configuration cycle: a block by id, and a block (id
// first) to store.
inline Outgoing ReadBlockRequest(std::uint8_t blockId) { return MakeOutgoing(CommandCode::ReadBlockCommand, {blockId}); }
inline Outgoing WriteBlockRequest(std::vector<std::uint8_t> block)
{
    return MakeOutgoing(CommandCode::WriteBlockCommand, std::move(block));
}
