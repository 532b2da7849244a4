// A long noisy byte stream with genuine frames mixed in: nothing may crash or
// read out of bounds, every delivered frame must be well formed, and every
// genuine frame that follows a clean gap must arrive intact.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "core/link/frame.h"
#include "core/link/frame_assembler.h"
#include "core/link/frame_dispatcher.h"
#include "core/link/link_test_frames.h"

using linktest::Bytes;
using linktest::MakeFrame;

namespace {

// Records each delivered frame and also runs it through the dispatcher, so
// the parser sees whatever the noise produced.
class CheckingSink final : public FrameSink {
public:
    void OnFrame(const std::uint8_t* frame, std::uint16_t count) override
    {
        frames.emplace_back(frame, frame + count);
        DispatchFrame(frame, count, FrameReceivers{});
    }

    std::vector<Bytes> frames;
};

struct NoisyStream {
    Bytes bytes;
    std::vector<Bytes> cleanFrames;  // in stream order
    std::size_t frameCount = 0;
};

// A spurious start byte consumes at most 512 bytes (length byte 0), so this
// many bytes without a start byte always bring the assembler back to waiting.
constexpr std::size_t kCleanGap = 512;

NoisyStream MakeNoisyStream(std::mt19937& rng, std::size_t frames)
{
    auto byte = [&rng] { return static_cast<std::uint8_t>(rng() & 0xFF); };
    NoisyStream s;
    for (std::size_t i = 0; i < frames; ++i) {
        // Noise, start and end bytes included, weighted so both are frequent.
        const std::size_t noise = rng() % 48;
        for (std::size_t n = 0; n < noise; ++n) {
            const unsigned pick = rng() % 8;
            s.bytes.push_back(pick == 0 ? kFrameStart : pick == 1 ? kFrameEnd : byte());
        }
        const bool clean = rng() % 3 == 0;
        if (clean) {
            for (std::size_t n = 0; n < kCleanGap; ++n) {
                std::uint8_t b = byte();
                s.bytes.push_back(b == kFrameStart ? 0x00 : b);
            }
        }
        Bytes payload(rng() % 252);
        for (std::uint8_t& b : payload) b = byte();
        Bytes frame = MakeFrame(byte(), payload);
        s.bytes.insert(s.bytes.end(), frame.begin(), frame.end());
        if (clean) s.cleanFrames.push_back(std::move(frame));
        ++s.frameCount;
    }
    return s;
}

TEST(NoisyStream, CleanFramesArriveIntactAndNothingMalformedIsDelivered)
{
    std::mt19937 rng(0x5EED1234u);
    const NoisyStream stream = MakeNoisyStream(rng, 3000);
    ASSERT_GT(stream.cleanFrames.size(), 500u);

    FrameAssembler assembler;
    CheckingSink sink;
    // Data events of random size, up to the 4096-byte read block.
    for (std::size_t at = 0; at < stream.bytes.size();) {
        const std::size_t chunk = std::min<std::size_t>(1 + rng() % 4096, stream.bytes.size() - at);
        assembler.Feed(stream.bytes.data() + at, chunk, sink);
        at += chunk;
    }

    for (const Bytes& frame : sink.frames) {
        ASSERT_GE(frame.size(), 4u);
        ASSERT_EQ(frame.front(), kFrameStart);
        ASSERT_EQ(frame.back(), kFrameEnd);
        ASSERT_NE(frame[1], 0);
        // Length 1 still stores one body byte; otherwise the frame is L + 2 long.
        ASSERT_EQ(frame.size(), std::max<std::size_t>(frame[1], 2) + 2);
    }

    // The clean frames appear in order among the delivered ones.
    auto next = sink.frames.begin();
    for (std::size_t i = 0; i < stream.cleanFrames.size(); ++i) {
        next = std::find(next, sink.frames.end(), stream.cleanFrames[i]);
        ASSERT_NE(next, sink.frames.end()) << "clean frame " << i << " lost";
        ++next;
    }
}

TEST(NoisyStream, FramesWithoutNoiseAllArrive)
{
    std::mt19937 rng(77);
    Bytes stream;
    std::vector<Bytes> sent;
    for (int i = 0; i < 2000; ++i) {
        Bytes payload(rng() % 252);
        for (std::uint8_t& b : payload) b = static_cast<std::uint8_t>(rng() & 0xFF);
        sent.push_back(MakeFrame(static_cast<std::uint8_t>(rng() & 0xFF), payload));
        stream.insert(stream.end(), sent.back().begin(), sent.back().end());
    }
    FrameAssembler assembler;
    CheckingSink sink;
    for (std::size_t at = 0; at < stream.size();) {
        const std::size_t chunk = std::min<std::size_t>(1 + rng() % 300, stream.size() - at);
        assembler.Feed(stream.data() + at, chunk, sink);
        at += chunk;
    }
    EXPECT_EQ(sink.frames, sent);
}

}  // namespace
