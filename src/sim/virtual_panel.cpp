#include "sim/virtual_panel.h"

#include <algorithm>
#include <utility>

VirtualPanel::VirtualPanel() : VirtualPanel(Options{}) {}

VirtualPanel::VirtualPanel(const Options& options)
    : options_(options),
      status_({options.model, options.serial}),
      rf_(options.autoTriggerRf),
      random_(options.seed),
      clock_(options.clock)
{
    for (auto& [id, bytes] : sim::FactoryBlocks(options.model)) blocks_[id] = std::move(bytes);
}

std::vector<uint8_t> VirtualPanel::Feed(const std::vector<uint8_t>& bytes)
{
    return Feed(bytes.data(), bytes.size());
}

std::vector<uint8_t> VirtualPanel::Feed(const uint8_t* data, size_t count)
{
    std::vector<uint8_t> out;
    if (data == nullptr) {
        return out;
    }
    for (size_t i = 0; i < count; ++i) {
        if (receiver_.Push(data[i])) {
            HandleFrame(receiver_.Frame(), receiver_.FrameLength(), out);
        }
    }
    return out;
}

std::vector<uint8_t> VirtualPanel::Tick()
{
    ++clock_;
    status_.Tick();
    if (!silent_) {
        Say(bootloader_.Tick(), outbox_);
        Say(rf_.Tick(), outbox_);
    } else {
        rf_.Tick();
    }
    return TakeUnsolicited();
}

bool VirtualPanel::TriggerRfSensor(uint32_t code)
{
    const auto report = rf_.Trigger(code);
    if (!report || silent_) {
        return false;
    }
    Answer(report->type, report->payload, outbox_);
    return true;
}

std::vector<uint8_t> VirtualPanel::TakeUnsolicited()
{
    std::vector<uint8_t> bytes;
    bytes.swap(outbox_);
    return bytes;
}

std::optional<std::vector<uint8_t>> VirtualPanel::Block(uint8_t id) const
{
    return blocks_[id];
}

bool VirtualPanel::SetBlock(const std::vector<uint8_t>& block)
{
    if (block.empty()) {
        return false;
    }
    blocks_[block[0]] = block;
    return true;
}

void VirtualPanel::RemoveBlock(uint8_t id)
{
    blocks_[id].reset();
}

void VirtualPanel::ClearReceived()
{
    received_.clear();
    commandCounts_.fill(0);
    badCrcCount_ = 0;
}

std::vector<size_t> VirtualPanel::DeliveryPieces(size_t count)
{
    std::vector<size_t> pieces;
    if (count == 0) {
        return pieces;
    }
    if (chunkMax_ == 0) {
        pieces.push_back(count);
        return pieces;
    }
    pieces.reserve(count);  // at most one piece a byte: a single allocation
    std::uniform_int_distribution<size_t> size(1, chunkMax_);
    for (size_t left = count; left > 0;) {
        const size_t take = std::min(size(random_), left);
        pieces.push_back(take);
        left -= take;
    }
    return pieces;
}

std::vector<std::vector<uint8_t>> VirtualPanel::SplitForDelivery(const std::vector<uint8_t>& bytes)
{
    std::vector<std::vector<uint8_t>> pieces;
    auto at = bytes.begin();
    for (const size_t take : DeliveryPieces(bytes.size())) {
        pieces.emplace_back(at, at + static_cast<std::ptrdiff_t>(take));
        at += static_cast<std::ptrdiff_t>(take);
    }
    return pieces;
}

void VirtualPanel::Record(uint8_t command, const std::vector<uint8_t>& payload, const uint8_t* raw, size_t length,
                          bool crcOk)
{
    // Once the log is full its oldest entry is rewritten in place, so a
    // long stream of frames costs no allocation per frame.
    if (received_.size() == kReceivedLogSize) {
        ReceivedFrame oldest = std::move(received_.front());
        received_.pop_front();
        received_.push_back(std::move(oldest));
    } else {
        received_.emplace_back();
    }
    ReceivedFrame& frame = received_.back();
    frame.command = command;
    frame.payload.assign(payload.begin(), payload.end());
    frame.raw.assign(raw, raw + length);
    frame.crcOk = crcOk;
}

void VirtualPanel::HandleFrame(const uint8_t* frame, size_t length, std::vector<uint8_t>& out)
{
    const auto decoded = sim::DecodeFrame(frame, length);
    if (!decoded) {
        return;
    }
    if (observer_) {
        observer_(Direction::FromTool, std::vector<uint8_t>(frame, frame + length));
    }
    Record(decoded->type, decoded->payload, frame, length, decoded->crcOk);
    if (!decoded->crcOk) {
        ++badCrcCount_;
        return;
    }
    ++commandCounts_[decoded->type];
    if (silent_) {
        return;
    }
    switch (decoded->type) {
    case sim::kIdentifyCommand: {
        const uint32_t serial = options_.serial;
        Answer(sim::kIdentificationFrame,
               {options_.model, bootloader_.Version(), static_cast<uint8_t>(serial >> 24),
                static_cast<uint8_t>(serial >> 16), static_cast<uint8_t>(serial >> 8),
                static_cast<uint8_t>(serial)},
               out);
        break;
    }
    case sim::kReadBlockCommand: ReadBlock(decoded->payload, out); break;
    case sim::kWriteBlockCommand: WriteBlock(decoded->payload, out); break;
    case sim::kSetTimeCommand: SetTime(decoded->payload); break;
    case sim::kBootloaderCommand: Say(bootloader_.OnBootloaderCommand(), out); break;
    case sim::kStartUpdateCommand: Say(bootloader_.OnStartUpdate(decoded->payload), out); break;
    case sim::kUpdatePacketCommand: Say(bootloader_.OnPacket(decoded->payload), out); break;
    case sim::kRfSensorCommand: {
        const sim::PanelReply reply = rf_.HandleSensorCommand(decoded->payload);
        Answer(reply.type, reply.payload, out);
        break;
    }
    case sim::kRfLearnCommand:
        if (const auto reply = rf_.HandleLearn(decoded->payload)) {
            Answer(reply->type, reply->payload, out);
        }
        break;
    case sim::kStatusRequestCommand: StatusRequest(decoded->payload, out); break;
    case sim::kArmCommand: Answer(status_.Arm(decoded->payload) ? sim::kAckFrame : sim::kNackFrame, {}, out); break;
    case sim::kDisarmCommand:
        Answer(status_.Disarm(decoded->payload) ? sim::kAckFrame : sim::kNackFrame, {}, out);
        break;
    default: break;  // a command this panel does not act on: no answer
    }
}

void VirtualPanel::ReadBlock(const std::vector<uint8_t>& payload, std::vector<uint8_t>& out)
{
    const std::optional<std::vector<uint8_t>>* block = payload.size() == 1 ? &blocks_[payload[0]] : nullptr;
    if (block == nullptr || !*block) {
        Answer(sim::kNackFrame, {}, out);
        return;
    }
    Answer(sim::kBlockFrame, **block, out);
}

void VirtualPanel::WriteBlock(const std::vector<uint8_t>& payload, std::vector<uint8_t>& out)
{
    if (!sim::IsAcceptableWrite(payload.data(), payload.size(), options_.model)) {
        Answer(sim::kNackFrame, {}, out);
        return;
    }
    blocks_[payload[0]] = payload;
    Answer(sim::kAckFrame, {}, out);
}

void VirtualPanel::SetTime(const std::vector<uint8_t>& payload)
{
    if (payload.size() != 4) {
        return;
    }
    clock_ = (static_cast<uint32_t>(payload[0]) << 24) | (static_cast<uint32_t>(payload[1]) << 16) |
             (static_cast<uint32_t>(payload[2]) << 8) | payload[3];
    clockSet_ = true;
}

void VirtualPanel::Say(const std::vector<sim::PanelReply>& replies, std::vector<uint8_t>& out)
{
    for (const sim::PanelReply& reply : replies) Answer(reply.type, reply.payload, out);
}

void VirtualPanel::StatusRequest(const std::vector<uint8_t>& payload, std::vector<uint8_t>& out)
{
    const auto page = payload.size() == 1 ? status_.Page(payload[0], clock_, bootloader_.Version()) : std::nullopt;
    if (page) Answer(sim::kStatusFrame, *page, out);
}

void VirtualPanel::Answer(uint8_t type, const std::vector<uint8_t>& payload, std::vector<uint8_t>& out)
{
    if (noiseMax_ > 0) {
        std::uniform_int_distribution<size_t> count(1, noiseMax_);
        std::uniform_int_distribution<int> value(0, 254);
        for (size_t n = count(random_); n > 0; --n) {
            const int byte = value(random_);
            // Skip the start byte: noise must not open a frame of its own.
            out.push_back(static_cast<uint8_t>(byte >= sim::kStartByte ? byte + 1 : byte));
        }
    }
    const size_t at = out.size();
    sim::AppendFrame(type, payload.data(), payload.size(), out);
    if (corruptNext_) {
        corruptNext_ = false;
        const size_t crcLow = out.size() - 2;
        out[crcLow - 1] ^= 0xFF;
        out[crcLow] ^= 0xFF;
    }
    if (observer_) {
        observer_(Direction::ToTool, std::vector<uint8_t>(out.begin() + static_cast<std::ptrdiff_t>(at), out.end()));
    }
}
