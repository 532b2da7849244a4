#include "core/link/frame_trace.h"

#include <array>

#include "core/bytes/hex_text.h"
#include "core/link/commands.h"
#include "core/link/frame.h"
#include "core/link/frame_dispatcher.h"
#include "core/panel/block_table.h"

namespace {

struct TypeName {
    FrameType type;
    const char* name;
};

constexpr std::array<TypeName, 9> kFrameTypeNames{{
    {FrameType::StatusPage, "StatusPage"},
    {FrameType::ConfigBlock, "ConfigBlock"},
    {FrameType::Identification, "Identification"},
    {FrameType::UpdatePacketRequest, "UpdatePacketRequest"},
    {FrameType::UpdateResult, "UpdateResult"},
    {FrameType::RfSensorRecord, "RfSensorRecord"},
    {FrameType::RfCodeReport, "RfCodeReport"},
    {FrameType::Ack, "Ack"},
    {FrameType::Nack, "Nack"},
}};

constexpr std::size_t kTypeOffset = 2;
constexpr std::size_t kBlockIdOffset = 3;

// A frame that carries a block holding a secret (a block written, or a
// block the panel answered with): its payload past the block id, and the
// CRC computed over it, stay out of the trace.
bool CarriesSecret(TraceDirection direction, const std::uint8_t* frame, std::size_t count)
{
    if (count <= kBlockIdOffset + 1 || !BlockHoldsSecret(frame[kBlockIdOffset])) return false;
    const std::uint8_t type = frame[kTypeOffset];
    return direction == TraceDirection::Sent ? type == CommandByte(CommandCode::WriteBlockCommand)
                                             : type == static_cast<std::uint8_t>(FrameType::ConfigBlock);
}

}  // namespace

const char* FrameTypeName(std::uint8_t type)
{
    for (const TypeName& entry : kFrameTypeNames) {
        if (static_cast<std::uint8_t>(entry.type) == type) return entry.name;
    }
    return nullptr;
}

std::string TraceFrameLine(std::string_view time, TraceDirection direction, const std::uint8_t* frame,
                           std::size_t count)
{
    const bool sent = direction == TraceDirection::Sent;
    std::string line(time);
    line += sent ? " -> " : " <- ";
    line += CarriesSecret(direction, frame, count) ? HexBytes(frame, kBlockIdOffset + 1) + " (oculto)" : HexBytes(frame, count);
    if (count <= kTypeOffset) return line + " (incomplete)";

    const std::uint8_t type = frame[kTypeOffset];
    const char* name = sent ? CommandName(type) : FrameTypeName(type);
    line += ' ';
    line += name ? std::string(name) : "type " + std::to_string(type);
    // Start, length, type, two CRC bytes and the end surround the payload.
    line += " payload " + std::to_string(count >= kFrameOverhead ? count - kFrameOverhead : 0);

    if (!sent && count <= kMaxParsedFrame) {
        std::uint8_t payload[kPayloadBufferSize];
        std::uint16_t payloadLength = 0;
        if (ParseFrame(frame, static_cast<std::uint16_t>(count), payload, payloadLength) == kCrcError) {
            line += " CRC error";
        }
    }
    return line;
}

std::string TraceDroppedLine(std::string_view time, std::size_t count)
{
    return std::string(time) + " <- dropped " + std::to_string(count) + (count == 1 ? " byte" : " bytes");
}
