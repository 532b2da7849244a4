#pragma once
// The panel's diagnostic side: the status pages it reports on request and
// its armed state, changed by arm and disarm commands with a user code.
//
// Status request [page]: a type-1 frame whose payload starts with the
// common header (page, model, version byte, serial, panel clock; numbers
// big-endian) and carries the page's data after it, each page at its own
// fixed length:
//    1 (29) alarm panel: armed word 0x257D or 0, tamper, arming timer,
//           origin, zone and user of the last arming
//   16 (45) events in the panel's log
//    5 (46) modem IMEI and SIM card number (texts)
//    8 (40) modem: state machines, links, registration, signal, operators,
//           packet-data address
//   10 (24) Wi-Fi module: state, link, address, timers
//    6 (28) message queue: sequence numbers, queue sizes and pointers,
//           polling times
//   21 (44) RF module: ok flag, version, frames sent and received
//   22 (45) / 23 (13) / 24 (55) cellular backup: keypad bus links and
//           their partition state, display lines, dialler texts
//   25 (27) eight keypads: state of their partition and configuration
//   27 (111) ten temperature sensors: sign-and-magnitude hundredths of a
//           degree (0xFFFE fault, 0xFFFF not enabled) and an 8-byte id
// Any other page, or a request that is not one byte, is not answered.
//
// Arm / disarm [code high, code low, partition 1..3]: the code is the user
// code as a 16-bit number; right code: Ack and the partition changes state;
// anything else: Nack and nothing changes.
//
// Tick() (once a second) keeps the values alive: the signal drifts, the
// queue and radio counters run, temperatures wander.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace sim {

inline constexpr uint16_t kDefaultUserCode = 1234;
inline constexpr uint8_t kPartitionCount = 3;

class PanelStatus {
public:
    // The firmware version is not part of it: it changes with an update,
    // and the panel's one record of it is its bootloader's (see Page).
    struct Identity {
        uint8_t model = 0;
        uint32_t serial = 0;
    };

    explicit PanelStatus(const Identity& identity);

    // The page's payload for the panel clock and the firmware version the
    // panel runs now, or nothing for a page this panel does not report.
    std::optional<std::vector<uint8_t>> Page(uint8_t page, uint32_t clock, uint8_t version) const;
    // True (acknowledge) when the request carried the right code and a partition.
    bool Arm(const std::vector<uint8_t>& request);
    bool Disarm(const std::vector<uint8_t>& request);
    void Tick();

    bool PartitionArmed(uint8_t partition) const;
    bool AnyPartitionArmed() const;
    uint16_t UserCode() const { return userCode_; }
    void SetUserCode(uint16_t code) { userCode_ = code; }
    uint16_t Signal() const { return signal_; }
    // The keypad bus's second display line (16 characters at most), as a
    // panel passes on whatever a keypad shows.
    void SetDisplayLine2(std::string text) { displayLine2_ = std::move(text); }

private:
    bool ChangeArming(const std::vector<uint8_t>& request, bool arm);
    std::vector<uint8_t> Header(uint8_t page, size_t length, uint32_t clock, uint8_t version) const;
    void FillCentral(std::vector<uint8_t>& p) const;
    void FillLogCount(std::vector<uint8_t>& p) const;
    void FillModem(std::vector<uint8_t>& p) const;
    void FillModemIdentity(std::vector<uint8_t>& p) const;
    void FillWifi(std::vector<uint8_t>& p) const;
    void FillQueue(std::vector<uint8_t>& p) const;
    void FillRadio(std::vector<uint8_t>& p) const;
    void FillBusPanel(std::vector<uint8_t>& p) const;
    void FillBusPanel2(std::vector<uint8_t>& p) const;
    void FillDialler(std::vector<uint8_t>& p) const;
    void FillKeypads(std::vector<uint8_t>& p) const;
    void FillTemperatures(std::vector<uint8_t>& p) const;

    Identity identity_;
    uint16_t userCode_ = kDefaultUserCode;
    std::array<bool, kPartitionCount> armed_{};
    uint8_t lastArmingUser_ = 0;
    uint16_t logEvents_ = 12;
    uint32_t ticks_ = 0;
    uint16_t signal_ = 18;
    uint16_t messageSequence_ = 100;
    uint32_t radioSent_ = 5000;
    uint32_t radioReceived_ = 4800;
    int16_t temperature_ = 2450;  // hundredths of a degree
    std::string displayLine2_ = "PARTICAO 1";
};

}  // namespace sim
