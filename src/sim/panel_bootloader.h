#pragma once
// The panel's bootloader: how a panel takes a new firmware, from its side
// of the link.
//
//  - BootloaderCommand (147, no payload): acknowledged; the panel enters the
//    bootloader. Sent during a transfer it cancels the transfer (and is
//    acknowledged again).
//  - StartUpdateCommand (144) [firmware ID, count (2), image word (2)], only
//    in the bootloader: answered with a request for packet 1 that merely
//    confirms the start. The real requests follow: packet 1 at the next
//    tick, then each next one as soon as the previous packet arrived.
//    Outside the bootloader, or with another payload length: a Nack.
//  - Packet request (type 9) [firmware ID, number high, number low]. A
//    request nobody answered is asked again once a second.
//  - UpdatePacketCommand (145) [firmware ID, number (2), tag (4), length,
//    data]: checked against the request (firmware ID, number), the length
//    byte against the data that came and the data area (192 bytes); with an
//    expected image also the tag and the data. A packet that fails a check
//    ends the transfer with result 2.
//  - After the last packet: result 1 (all received), then result 5 (new
//    version good); the panel then reports the image's firmware ID as its
//    version byte.
//
// Faults for tests: a chosen final result code, stop asking after packet k,
// requests with a wrong firmware ID or a fixed (out-of-range) number,
// requests from the last packet down to the first.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/panel_frame.h"

namespace sim {

// One packet of an image as the panel expects to receive it.
struct ExpectedPacket {
    uint32_t tag = 0;
    std::vector<uint8_t> data;
};

// Reads an image file (28-byte header, 208-byte packet records, fields least
// significant byte first, data scrambled) into the packets a panel should
// receive. Empty with a reason when the bytes are not a whole image.
std::optional<std::vector<ExpectedPacket>> ReadExpectedImage(const std::vector<uint8_t>& file, std::string* error);

class PanelBootloader {
public:
    // version: the panel's firmware version byte, replaced after a good update.
    explicit PanelBootloader(uint8_t version) : version_(version) {}
    uint8_t Version() const { return version_; }

    std::vector<PanelReply> OnBootloaderCommand();
    std::vector<PanelReply> OnStartUpdate(const std::vector<uint8_t>& payload);
    std::vector<PanelReply> OnPacket(const std::vector<uint8_t>& payload);
    // Once a second: asks again for a packet nobody sent.
    std::vector<PanelReply> Tick();

    bool InBootloader() const { return inBootloader_; }
    bool Transferring() const { return transferring_; }
    uint16_t AnnouncedCount() const { return count_; }
    uint16_t AnnouncedImageWord() const { return imageWord_; }
    // Packets taken in so far, by number (index 0 is packet 1); empty for a
    // packet not received.
    const std::vector<ExpectedPacket>& Received() const { return received_; }
    size_t PacketsReceived() const { return packetsReceived_; }
    // The last result code sent, 0 before any.
    uint8_t LastResult() const { return lastResult_; }

    // The packets the next transfer must bring; empty: only the form is checked.
    void ExpectImage(std::vector<ExpectedPacket> packets) { expected_ = std::move(packets); }

    // Faults. 0 = off for each.
    void SetFinalResult(uint8_t code) { finalResult_ = code; }
    void StopAskingAfter(uint16_t packet) { stopAfter_ = packet; }
    void SetWrongFirmwareId(bool wrong) { wrongFirmwareId_ = wrong; }
    void SetRequestedNumber(uint16_t number) { forcedNumber_ = number; }
    void SetDescendingOrder(bool descending) { descending_ = descending; }

private:
    PanelReply Request(uint16_t number) const;
    // Results after the last packet: 1 then 5, or the chosen fault code.
    std::vector<PanelReply> Finish();
    bool PacketIsGood(const std::vector<uint8_t>& payload) const;
    // A packet received before, sent again because its request was repeated.
    bool IsRepeat(const std::vector<uint8_t>& payload) const;

    uint8_t version_;
    bool inBootloader_ = false;
    bool transferring_ = false;
    uint8_t firmwareId_ = 0;
    uint16_t count_ = 0;
    uint16_t imageWord_ = 0;
    uint16_t asked_ = 0;      // packet number of the open request, 0 for none
    size_t packetsReceived_ = 0;
    bool confirming_ = false; // the start was confirmed; the first real request goes at the next tick
    int waitTicks_ = 0;       // ticks the open request has waited
    std::vector<ExpectedPacket> received_;
    std::vector<bool> have_;  // by number, like received_
    std::vector<ExpectedPacket> expected_;
    uint8_t lastResult_ = 0;

    uint8_t finalResult_ = 0;
    uint16_t stopAfter_ = 0;
    bool wrongFirmwareId_ = false;
    uint16_t forcedNumber_ = 0;
    bool descending_ = false;
};

}  // namespace sim
