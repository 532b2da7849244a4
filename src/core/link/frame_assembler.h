#pragma once
// Cuts the received byte stream into complete link frames. The stream may
// arrive in any pieces: one byte per event, several frames per event, noise
// in between. Frame ends are decided by the frame's own length byte and end
// byte, never by silence, and there is no time-out on a partial frame.

#include <cstddef>
#include <cstdint>

class FrameSink {
public:
    // frame holds count bytes, start byte to end byte, valid only during the call.
    virtual void OnFrame(const std::uint8_t* frame, std::uint16_t count) = 0;

protected:
    ~FrameSink() = default;
};

class FrameAssembler {
public:
    enum class State : std::uint8_t {
        WaitingForStart = 0,
        ExpectingLength = 1,
        Collecting = 2,
        ExpectingEnd = 3,
    };

    static constexpr std::uint16_t kBufferSize = 512;

    // Feeds bytes in order; each complete frame reaches the sink before the
    // next byte is examined.
    void Feed(const std::uint8_t* bytes, std::size_t count, FrameSink& sink);

    State state() const { return RxState; }
    std::uint16_t collected() const { return RxIndex; }

private:
    void FeedByte(std::uint8_t byte, FrameSink& sink);

    State RxState = State::WaitingForStart;
    std::uint8_t RxBuffer[kBufferSize] = {};
    std::uint16_t RxIndex = 0;
    std::uint16_t RxRemaining = 0;
};
