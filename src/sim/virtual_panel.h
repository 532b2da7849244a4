#pragma once
// A panel in software: fed the bytes the tool sends, it returns the bytes a
// panel would answer. Pure C++, no I/O: a host (a pseudo-terminal, a test)
// moves the bytes, calls Tick() once a second and delivers what Tick()
// returns: the panel speaks on its own while it listens for RF sensors.
//
// Behaviour, from the panel's side of the link:
//  - IdentifyCommand: a type-7 frame [model, version, serial (4, big-endian)].
//  - ReadBlockCommand [id]: a type-2 frame holding the block (id first); an
//    id the panel does not hold, or a request that is not exactly one byte,
//    gets a Nack (149).
//  - WriteBlockCommand [id, data...]: stored and acknowledged (134) when the
//    length suits the block and the model; otherwise a Nack and nothing
//    stored. Read-only modem blocks and unknown ids are refused.
//  - SetTimeCommand [4 bytes, seconds since 1970 UTC]: sets the panel clock;
//    never answered.
//  - BootloaderCommand, StartUpdateCommand, UpdatePacketCommand: the
//    bootloader and its packet requests (see panel_bootloader.h); after a
//    good update the identification and the status pages carry the new
//    version byte.
//  - Block 3 (RF radio) has its long form (with the crystal byte) on model
//    56 and its short form on the others, in answers and in writes.
//  - RfSensorCommand and RfLearnCommand: the table of 2048 enrolled RF
//    sensors and the listening mode (see panel_rf.h). Sensor reports and
//    automatic triggers leave through Tick(); TriggerRfSensor() makes a
//    sensor transmit on demand.
//  - StatusRequestCommand [page]: the status page (type 1) with the panel's
//    identity and clock; ArmCommand / DisarmCommand [code, partition]: Ack
//    with the user code (1234 unless set), Nack otherwise (panel_status.h).
//  - Frames with a wrong CRC and commands the panel does not act on are
//    recorded and otherwise ignored: a real panel stays quiet rather than
//    guess.
//
// Faults, switched on by tests and the demo: noise bytes before answers,
// delivery in small pieces (applied by the host through SplitForDelivery),
// a wrong CRC on the next answer, silence; the bootloader has faults of its
// own (Bootloader(), see panel_bootloader.h).

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <random>
#include <vector>

#include "sim/panel_blocks.h"
#include "sim/panel_bootloader.h"
#include "sim/panel_frame.h"
#include "sim/panel_rf.h"
#include "sim/panel_status.h"

class VirtualPanel {
public:
    static constexpr uint8_t kDefaultModel = 51;
    static constexpr uint8_t kDefaultVersion = 0x12;
    static constexpr uint32_t kDefaultSerial = 2024011501;
    static constexpr size_t kReceivedLogSize = 64;

    struct Options {
        uint8_t model = kDefaultModel;
        uint8_t version = kDefaultVersion;
        uint32_t serial = kDefaultSerial;
        bool autoTriggerRf = false;  // a sensor triggers itself while listening
        uint32_t seed = 1;          // drives noise and piece sizes
        uint32_t clock = 0;         // panel clock at power-on, seconds since 1970 UTC
    };

    struct ReceivedFrame {
        uint8_t command = 0;
        std::vector<uint8_t> payload;
        std::vector<uint8_t> raw;  // the whole frame as it arrived
        bool crcOk = true;
    };

    enum class Direction { FromTool, ToTool };
    // Sees every whole frame the panel takes in and every answer it sends
    // (after any CRC fault), in order. Noise is not a frame and is not shown.
    using FrameObserver = std::function<void(Direction, const std::vector<uint8_t>& frame)>;

    VirtualPanel();
    explicit VirtualPanel(const Options& options);

    // Bytes from the tool in, the panel's answers out.
    std::vector<uint8_t> Feed(const uint8_t* data, size_t count);
    std::vector<uint8_t> Feed(const std::vector<uint8_t>& bytes);
    // Once a second: advances the panel clock, its living status values,
    // the bootloader and the radio. Returns what the panel says on its own
    // (a repeated packet request, sensor reports, with anything
    // TriggerRfSensor() queued).
    std::vector<uint8_t> Tick();
    // A sensor with this 24-bit code transmits; true when the panel is
    // listening and queued a report. TakeUnsolicited() hands it out.
    bool TriggerRfSensor(uint32_t code);
    std::vector<uint8_t> TakeUnsolicited();
    bool HasUnsolicited() const { return !outbox_.empty(); }
    sim::PanelRf& Rf() { return rf_; }
    const sim::PanelRf& Rf() const { return rf_; }

    uint8_t Model() const { return options_.model; }
    uint8_t Version() const { return bootloader_.Version(); }
    uint32_t Serial() const { return options_.serial; }

    // Stored bytes of a block, id first; empty when the panel holds no such block.
    std::optional<std::vector<uint8_t>> Block(uint8_t id) const;
    // Replaces a block (id first) as is, without the write rules, so a test
    // can make the panel answer with any bytes. False for an empty block.
    bool SetBlock(const std::vector<uint8_t>& block);
    void RemoveBlock(uint8_t id);

    // Seconds since 1970 UTC as last set by the tool, advanced by Tick().
    uint32_t ClockSeconds() const { return clock_; }
    bool ClockWasSet() const { return clockSet_; }

    // Status pages and armed state.
    sim::PanelStatus& Status() { return status_; }
    const sim::PanelStatus& Status() const { return status_; }

    // Valid frames received with this command byte.
    size_t CommandCount(uint8_t command) const { return commandCounts_[command]; }
    size_t BadCrcCount() const { return badCrcCount_; }
    // The last kReceivedLogSize frames received, oldest first (bad CRC included).
    const std::deque<ReceivedFrame>& ReceivedFrames() const { return received_; }
    void ClearReceived();

    void SetFrameObserver(FrameObserver observer) { observer_ = std::move(observer); }

    // The bootloader: what it received, and its fault switches.
    sim::PanelBootloader& Bootloader() { return bootloader_; }
    const sim::PanelBootloader& Bootloader() const { return bootloader_; }

    // Faults.
    // 0 = off; otherwise each answer frame is preceded by 1 to maxBytes random
    // bytes, never 0xDF, so a correct receiver skips them and keeps the frame.
    void SetNoise(size_t maxBytes) { noiseMax_ = maxBytes; }
    // 0 = off; otherwise hosts deliver output in pieces of 1 to maxPiece bytes.
    void SetChunking(size_t maxPiece) { chunkMax_ = maxPiece; }
    size_t ChunkingMax() const { return chunkMax_; }
    // Cuts output into the pieces a host should write one by one (one piece
    // holding everything when chunking is off). Joined, they give the input.
    std::vector<std::vector<uint8_t>> SplitForDelivery(const std::vector<uint8_t>& bytes);
    // The sizes of those pieces for count bytes, drawn as SplitForDelivery
    // draws them: each 1 or more, together count.
    std::vector<size_t> DeliveryPieces(size_t count);
    // The next answer frame goes out with its CRC inverted; later ones are good.
    void CorruptNextCrc() { corruptNext_ = true; }
    bool CrcFaultPending() const { return corruptNext_; }
    // While silent the panel records what it receives but neither acts on it
    // nor answers: a panel that has hung.
    void SetSilent(bool silent) { silent_ = silent; }
    bool Silent() const { return silent_; }
    // Restarts the noise and the delivery pieces as if built with this seed,
    // so a copy of one panel can replay another's random choices.
    void Reseed(uint32_t seed) { random_.seed(seed); }

private:
    void HandleFrame(const uint8_t* frame, size_t length, std::vector<uint8_t>& out);
    void Answer(uint8_t type, const std::vector<uint8_t>& payload, std::vector<uint8_t>& out);
    void ReadBlock(const std::vector<uint8_t>& payload, std::vector<uint8_t>& out);
    void WriteBlock(const std::vector<uint8_t>& payload, std::vector<uint8_t>& out);
    void SetTime(const std::vector<uint8_t>& payload);
    void Say(const std::vector<sim::PanelReply>& replies, std::vector<uint8_t>& out);
    void StatusRequest(const std::vector<uint8_t>& payload, std::vector<uint8_t>& out);
    void Record(uint8_t command, const std::vector<uint8_t>& payload, const uint8_t* raw, size_t length, bool crcOk);

    Options options_;
    sim::PanelBootloader bootloader_{options_.version};
    // A slot per block id, so a panel assigned over another reuses its
    // storage.
    std::array<std::optional<std::vector<uint8_t>>, 256> blocks_;
    sim::PanelStatus status_;
    sim::FrameReceiver receiver_;
    sim::PanelRf rf_;
    std::vector<uint8_t> outbox_;  // unsolicited frames waiting for the host
    std::mt19937 random_;

    uint32_t clock_ = 0;
    bool clockSet_ = false;

    std::array<size_t, 256> commandCounts_{};
    size_t badCrcCount_ = 0;
    std::deque<ReceivedFrame> received_;
    FrameObserver observer_;

    size_t noiseMax_ = 0;
    size_t chunkMax_ = 0;
    bool corruptNext_ = false;
    bool silent_ = false;
};
