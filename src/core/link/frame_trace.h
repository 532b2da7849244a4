#pragma once
// One line of text per frame on the link, both ways, for the trace file that
// support staff read: time, direction, the frame in hexadecimal, what it is,
// the payload length. Bytes the receive assembler skipped and frames with a
// wrong CRC get lines of their own, so nothing that crossed the wire is
// missing from the trace.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

enum class TraceDirection { Sent, Received };

// The name of a frame type the panel sends ("ConfigBlock", "Ack"), or
// nullptr for a type the tool does not act on.
const char* FrameTypeName(std::uint8_t type);

// "12:03:04.123 -> DF 05 82 02 2E 71 FD ReadBlockCommand payload 1"; a
// received frame with a wrong CRC ends with "CRC error". time is the caller's
// local time text.
std::string TraceFrameLine(std::string_view time, TraceDirection direction, const std::uint8_t* frame,
                           std::size_t count);
// "12:03:04.125 <- dropped 3 bytes": noise between frames.
std::string TraceDroppedLine(std::string_view time, std::size_t count);
