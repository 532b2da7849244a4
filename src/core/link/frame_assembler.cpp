#include "core/link/frame_assembler.h"

#include "core/link/frame.h"

void FrameAssembler::Feed(const std::uint8_t* bytes, std::size_t count, FrameSink& sink)
{
    if (bytes == nullptr) return;
    for (std::size_t i = 0; i < count; ++i) FeedByte(bytes[i], sink);
}

void FrameAssembler::FeedByte(std::uint8_t byte, FrameSink& sink)
{
    switch (RxState) {
    case State::WaitingForStart:
        if (byte == kFrameStart) {
            RxBuffer[0] = byte;
            RxIndex = 1;
            RxRemaining = 0;
            RxState = State::ExpectingLength;
        }
        break;
    case State::ExpectingLength:
        // A length byte of 0 wraps to 65535: the frame then runs into the
        // buffer limit below and is dropped.
        RxRemaining = static_cast<std::uint16_t>(byte - 1);
        RxBuffer[RxIndex++] = byte;
        RxState = State::Collecting;
        break;
    case State::Collecting:
        if (RxRemaining != 0) --RxRemaining;
        RxBuffer[RxIndex++] = byte;
        if (RxRemaining == 0) {
            RxState = State::ExpectingEnd;
        } else if (RxIndex >= kBufferSize) {
            RxState = State::WaitingForStart;
        }
        break;
    case State::ExpectingEnd:
        // A wrong end byte drops the frame and is not taken as a new start.
        RxState = State::WaitingForStart;
        if (byte == kFrameEnd && RxIndex < kBufferSize) {
            RxBuffer[RxIndex++] = byte;
            sink.OnFrame(RxBuffer, RxIndex);
        }
        break;
    }
}
