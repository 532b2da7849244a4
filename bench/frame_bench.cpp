// Receive path throughput: the assembler cutting a long stream of frames and
// noise, each frame parsed and routed by DispatchFrame. A replaced global
// operator new (allocation_counter.cpp) counts heap allocations inside the
// timed loop; the receive path must make none, per byte or per frame.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "allocation_counter.h"
#include "core/link/frame.h"
#include "core/link/frame_assembler.h"
#include "core/link/frame_dispatcher.h"

namespace {

// Receivers that only touch the payload, so the work is not optimised away.
class CountingReceivers final : public LinkReceiver,
                                public DiagnosticReceiver,
                                public RfSensorReceiver,
                                public FirmwareUpdateReceiver,
                                public EnrolmentReceiver {
public:
    void HandleConfigResponse(const std::uint8_t* p, std::uint8_t n) override { Take(p, n); }
    void HandleIdentification(const std::uint8_t* p, std::uint8_t n) override { Take(p, n); }
    void HandleAckStatus() override { ++frames; }
    void HandleNackStatus() override { ++frames; }
    void OnStatusFrame(const std::uint8_t* p, std::uint16_t n) override { Take(p, n); }
    void OnRfSensorRecord(const std::uint8_t* p, std::uint16_t n) override { Take(p, n); }
    void OnPacketRequest(const std::uint8_t* p, std::uint8_t n) override { Take(p, n); }
    void OnUpdateResult(const std::uint8_t* p, std::uint8_t n) override { Take(p, n); }
    void OnUpdateAck() override {}
    void OnUpdateNack() override {}
    void OnRfCodeReport(const std::uint8_t* p, std::uint8_t n) override { Take(p, n); }
    void OnEnrolAck() override {}
    void OnEnrolNack() override {}

    std::uint64_t frames = 0;
    std::uint64_t checksum = 0;

private:
    void Take(const std::uint8_t* p, std::uint16_t n)
    {
        ++frames;
        if (n != 0) checksum += p[0] + p[n - 1];
    }
};

void AppendFrame(std::vector<std::uint8_t>& stream, std::uint8_t type, const std::vector<std::uint8_t>& payload)
{
    std::uint8_t frame[kMaxSendFrame];
    const std::size_t size = BuildFrame(type, payload.data(), payload.size(), frame);
    stream.insert(stream.end(), frame, frame + size);
}

// About 4 MB: a realistic mix of status pages, configuration blocks,
// identifications and acknowledgements, with runs of line noise between
// some of them (noise holds no start byte, so every frame stays intact).
const std::vector<std::uint8_t>& Stream()
{
    static const std::vector<std::uint8_t> stream = [] {
        std::mt19937 rng(12345);
        std::vector<std::uint8_t> s;
        s.reserve(4u << 20);
        while (s.size() < (4u << 20) - 512) {
            const unsigned kind = rng() % 5;
            const std::uint8_t type = kind == 0 ? 1 : kind == 1 ? 2 : kind == 2 ? 7 : kind == 3 ? 134 : 16;
            std::vector<std::uint8_t> payload(kind == 0 ? 180 : kind == 1 ? 40 : kind == 2 ? 6 : kind == 3 ? 0 : 16);
            for (auto& b : payload) b = static_cast<std::uint8_t>(rng());
            AppendFrame(s, type, payload);
            if (rng() % 4 == 0) {
                for (unsigned n = rng() % 32; n != 0; --n) {
                    const auto b = static_cast<std::uint8_t>(rng());
                    s.push_back(b == kFrameStart ? 0x00 : b);
                }
            }
        }
        return s;
    }();
    return stream;
}

void FeedStream(benchmark::State& state, std::size_t blockSize)
{
    const std::vector<std::uint8_t>& stream = Stream();
    CountingReceivers receivers;
    FrameDispatcher dispatcher;
    dispatcher.receivers() = {&receivers, &receivers, &receivers, &receivers, &receivers};
    FrameAssembler assembler;

    // Proves the counter is live, so a reported 0 means something.
    const std::uint64_t probe = AllocationCount();
    auto* probeBox = new std::uint64_t(probe);
    benchmark::DoNotOptimize(probeBox);
    delete probeBox;
    if (AllocationCount() == probe) state.SkipWithError("allocation counter not active");

    std::uint64_t allocations = 0;
    for (auto _ : state) {
        const std::uint64_t before = AllocationCount();
        for (std::size_t at = 0; at < stream.size(); at += blockSize) {
            assembler.Feed(stream.data() + at, std::min(blockSize, stream.size() - at), dispatcher);
        }
        allocations += AllocationCount() - before;
        benchmark::DoNotOptimize(receivers.checksum);
    }

    if (allocations != 0) state.SkipWithError("heap allocation on the receive path");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stream.size()));
    state.counters["frames"] = benchmark::Counter(static_cast<double>(receivers.frames), benchmark::Counter::kIsRate);
    state.counters["allocations"] = static_cast<double>(allocations);
}

// The port's data event hands over up to a 4096-byte block at a time.
void BM_AssembleAndDispatch(benchmark::State& state) { FeedStream(state, 4096); }
BENCHMARK(BM_AssembleAndDispatch)->Unit(benchmark::kMillisecond);

// Slow links deliver one byte per event: the per-call cost dominates.
void BM_AssembleAndDispatchBytePerFeed(benchmark::State& state) { FeedStream(state, 1); }
BENCHMARK(BM_AssembleAndDispatchBytePerFeed)->Unit(benchmark::kMillisecond);

void BM_ComputeFrameCrc(benchmark::State& state)
{
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(state.range(0)));
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 31);
    for (auto _ : state) {
        benchmark::DoNotOptimize(ComputeFrameCrc(bytes.data(), static_cast<std::uint16_t>(bytes.size())));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_ComputeFrameCrc)->Arg(6)->Arg(253);

}  // namespace
