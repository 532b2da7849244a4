#include "sim/panel_status.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace sim {

namespace {

struct PageShape {
    uint8_t page;
    size_t length;
    void (PanelStatus::*fill)(std::vector<uint8_t>&) const;
};

void Put16(std::vector<uint8_t>& p, size_t at, uint16_t value)
{
    p[at] = static_cast<uint8_t>(value >> 8);
    p[at + 1] = static_cast<uint8_t>(value);
}

void Put32(std::vector<uint8_t>& p, size_t at, uint32_t value)
{
    Put16(p, at, static_cast<uint16_t>(value >> 16));
    Put16(p, at + 2, static_cast<uint16_t>(value));
}

// A text field: the text, cut to the width, zero-filled after it.
void PutText(std::vector<uint8_t>& p, size_t at, size_t width, const char* text)
{
    const size_t length = std::min(width, std::strlen(text));
    std::memcpy(p.data() + at, text, length);
}

constexpr uint16_t kArmedWord = 0x257D;
constexpr uint16_t kSensorFault = 0xFFFE;
constexpr uint16_t kSensorDisabled = 0xFFFF;
constexpr uint16_t kSignMinus = 0x8000;

// Partition states as the keypad bus reports them.
constexpr uint8_t kDisarmed = 1;
constexpr uint8_t kArmed = 2;

// Signal steps, repeating: the level wanders without a random source, so
// every run of a test sees the same values.
constexpr std::array<int, 8> kSignalSteps{+2, -1, +3, -4, +1, -2, +4, -3};

}  // namespace

PanelStatus::PanelStatus(const Identity& identity) : identity_(identity) {}

std::optional<std::vector<uint8_t>> PanelStatus::Page(uint8_t page, uint32_t clock, uint8_t version) const
{
    static constexpr std::array<PageShape, 12> kPages{{
        {1, 29, &PanelStatus::FillCentral},
        {16, 45, &PanelStatus::FillLogCount},
        {5, 46, &PanelStatus::FillModemIdentity},
        {8, 40, &PanelStatus::FillModem},
        {10, 24, &PanelStatus::FillWifi},
        {6, 28, &PanelStatus::FillQueue},
        {21, 44, &PanelStatus::FillRadio},
        {22, 45, &PanelStatus::FillBusPanel},
        {23, 13, &PanelStatus::FillBusPanel2},
        {24, 55, &PanelStatus::FillDialler},
        {25, 27, &PanelStatus::FillKeypads},
        {27, 111, &PanelStatus::FillTemperatures},
    }};
    for (const PageShape& shape : kPages) {
        if (shape.page != page) continue;
        std::vector<uint8_t> payload = Header(page, shape.length, clock, version);
        (this->*shape.fill)(payload);
        return payload;
    }
    return std::nullopt;
}

std::vector<uint8_t> PanelStatus::Header(uint8_t page, size_t length, uint32_t clock, uint8_t version) const
{
    std::vector<uint8_t> p(length, 0);
    p[0] = page;
    p[1] = identity_.model;
    p[2] = version;
    Put32(p, 3, identity_.serial);
    Put32(p, 7, clock);
    return p;
}

void PanelStatus::FillCentral(std::vector<uint8_t>& p) const
{
    Put16(p, 11, AnyPartitionArmed() ? kArmedWord : 0);
    p[13] = 0;  // enclosure closed
    p[14] = 0;  // no exit delay running
    p[19] = lastArmingUser_ != 0 ? 4 : 0;  // armed from the serial link
    Put16(p, 22, lastArmingUser_);
}

void PanelStatus::FillLogCount(std::vector<uint8_t>& p) const
{
    Put16(p, 11, logEvents_);
}

void PanelStatus::FillModemIdentity(std::vector<uint8_t>& p) const
{
    PutText(p, 11, 15, "356938035643809");
    PutText(p, 26, 20, "89550311000012345678");
}

void PanelStatus::FillModem(std::vector<uint8_t>& p) const
{
    p[11] = 34;             // in packet data
    p[12] = 14;             // connected
    p[16] = 1;              // packet-data link up
    p[17] = ticks_ % 30 < 25 ? 1 : 0;  // the server link drops now and then
    p[22] = 1;              // registered
    Put16(p, 23, signal_);
    p[25] = 1;
    p[26] = 0;
    p[27] = p[17] != 0 ? 1 : 2;  // server ok / packet data without ack
    p[28] = 3;
    p[30] = 3;
    p[31] = 2;
    p[34] = 1;
    p[36] = 10, p[37] = 64, p[38] = 12, p[39] = 7;
}

void PanelStatus::FillWifi(std::vector<uint8_t>& p) const
{
    p[11] = 9;  // connection active
    p[12] = 1;
    p[14] = 1;
    p[15] = 192, p[16] = 168, p[17] = 0, p[18] = 57;
    p[19] = ticks_ % 4 == 0 ? 1 : 0;
    Put16(p, 20, static_cast<uint16_t>((ticks_ % 60) * 100));
    Put16(p, 22, static_cast<uint16_t>((ticks_ % 10) * 100));
}

void PanelStatus::FillQueue(std::vector<uint8_t>& p) const
{
    Put16(p, 11, messageSequence_);
    Put16(p, 13, static_cast<uint16_t>(messageSequence_ - 1));
    Put16(p, 15, static_cast<uint16_t>(messageSequence_ - 1));
    p[17] = static_cast<uint8_t>(ticks_ % 3);
    p[18] = 0;
    p[19] = static_cast<uint8_t>(messageSequence_ % 16);
    p[20] = static_cast<uint8_t>((messageSequence_ - p[17]) % 16);
    p[21] = 0;
    p[22] = 0;
    p[23] = 0;
    Put16(p, 24, 300);
    Put16(p, 26, 60);
}

void PanelStatus::FillRadio(std::vector<uint8_t>& p) const
{
    p[27] = 1;
    p[28] = 0x21;
    Put32(p, 32, radioSent_);
    Put32(p, 36, radioReceived_);
}

void PanelStatus::FillBusPanel(std::vector<uint8_t>& p) const
{
    const bool armed = PartitionArmed(1);
    p[11] = 1;
    p[12] = armed ? kArmed : kDisarmed;
    PutText(p, 13, 16, armed ? "SISTEMA ARMADO" : "SISTEMA PRONTO");
    PutText(p, 29, 16, displayLine2_.c_str());
}

void PanelStatus::FillBusPanel2(std::vector<uint8_t>& p) const
{
    p[11] = 1;
    p[12] = PartitionArmed(2) ? kArmed : kDisarmed;
}

void PanelStatus::FillDialler(std::vector<uint8_t>& p) const
{
    PutText(p, 11, 4, "1234");
    PutText(p, 15, 20, "1133224455");
    PutText(p, 35, 20, "1234 18 1401 01 001");
}

void PanelStatus::FillKeypads(std::vector<uint8_t>& p) const
{
    // Keypads 1 and 2 on partition 1, keypad 3 on partition 2, the rest absent.
    constexpr std::array<uint8_t, 8> kPartitionOfKeypad{1, 1, 2, 0, 0, 0, 0, 0};
    for (size_t k = 0; k < kPartitionOfKeypad.size(); ++k) {
        const uint8_t partition = kPartitionOfKeypad[k];
        p[11 + k] = partition == 0 ? 0 : PartitionArmed(partition) ? kArmed : kDisarmed;
        p[19 + k] = partition;
    }
}

void PanelStatus::FillTemperatures(std::vector<uint8_t>& p) const
{
    const uint16_t freezer = static_cast<uint16_t>(kSignMinus | static_cast<uint16_t>(1800 + ticks_ % 50));
    const std::array<uint16_t, 10> raws{static_cast<uint16_t>(temperature_), freezer, kSensorFault,
                                        kSensorDisabled, kSensorDisabled, kSensorDisabled, kSensorDisabled,
                                        kSensorDisabled, kSensorDisabled, kSensorDisabled};
    for (size_t n = 0; n < raws.size(); ++n) {
        const size_t record = 11 + 10 * n;
        Put16(p, record, raws[n]);
        if (raws[n] == kSensorDisabled) continue;
        // Family code, a six-byte number, a check byte.
        const uint8_t id[8] = {0x28, static_cast<uint8_t>(0x10 + n), 0xA2, 0x3C, 0x05, 0x00, 0x00, 0x5E};
        std::memcpy(p.data() + record + 2, id, sizeof id);
    }
}

bool PanelStatus::Arm(const std::vector<uint8_t>& request)
{
    return ChangeArming(request, true);
}

bool PanelStatus::Disarm(const std::vector<uint8_t>& request)
{
    return ChangeArming(request, false);
}

bool PanelStatus::ChangeArming(const std::vector<uint8_t>& request, bool arm)
{
    if (request.size() != 3) return false;
    const uint16_t code = static_cast<uint16_t>(request[0] << 8 | request[1]);
    const uint8_t partition = request[2];
    if (code != userCode_ || partition < 1 || partition > kPartitionCount) return false;
    armed_[partition - 1] = arm;
    lastArmingUser_ = 1;
    ++logEvents_;
    return true;
}

bool PanelStatus::PartitionArmed(uint8_t partition) const
{
    return partition >= 1 && partition <= kPartitionCount && armed_[partition - 1];
}

bool PanelStatus::AnyPartitionArmed() const
{
    return std::any_of(armed_.begin(), armed_.end(), [](bool armed) { return armed; });
}

void PanelStatus::Tick()
{
    ++ticks_;
    const int next = signal_ + kSignalSteps[ticks_ % kSignalSteps.size()];
    signal_ = static_cast<uint16_t>(std::clamp(next, 3, 31));
    ++messageSequence_;
    radioSent_ += 3;
    radioReceived_ += 2 + ticks_ % 2;
    temperature_ = static_cast<int16_t>(2450 + static_cast<int>(ticks_ % 40) - 20);
}

}  // namespace sim
