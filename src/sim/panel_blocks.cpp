#include "sim/panel_blocks.h"

namespace sim {

namespace {

constexpr uint8_t kModelWithFewerIo = 37;
constexpr uint8_t kModelWithLongRfBlock = 56;

std::vector<uint8_t> WifiFactory()
{
    const std::vector<uint8_t> ssid = {'P', 'A', 'I', 'N', 'E', 'L'};
    const std::vector<uint8_t> password = {'1', '2', '3', '4', '5', '6', '7', '8'};
    std::vector<uint8_t> block = {kWifiBlock, static_cast<uint8_t>(ssid.size())};
    block.insert(block.end(), ssid.begin(), ssid.end());
    block.push_back(static_cast<uint8_t>(password.size()));
    block.insert(block.end(), password.begin(), password.end());
    return block;
}

std::vector<uint8_t> WiredSensorsFactory(uint8_t model)
{
    // Per sensor: type, polarity, rule bits, debounce in 10 ms (big-endian).
    const std::vector<std::vector<uint8_t>> records = {
        {3, 0, 0x03, 0x00, 0x32},  // door, low level, both rules, 500 ms
        {1, 0, 0x01, 0x00, 0x32},
        {1, 0, 0x01, 0x00, 0x32},
        {5, 2, 0x01, 0x00, 0x0A},  // tamper, high level, 100 ms
        {0, 1, 0x00, 0x00, 0x32},
        {0, 1, 0x00, 0x00, 0x32},
    };
    const size_t count = model == kModelWithFewerIo ? 4 : 6;
    std::vector<uint8_t> block = {23};
    for (size_t i = 0; i < count; ++i) {
        block.insert(block.end(), records[i].begin(), records[i].end());
    }
    return block;
}

}  // namespace

bool HasLongRfBlock(uint8_t model)
{
    return model == kModelWithLongRfBlock;
}

BlockMap FactoryBlocks(uint8_t model)
{
    const bool fewerIo = model == kModelWithFewerIo;
    BlockMap blocks;
    // Four report servers: address octets and a big-endian port each.
    blocks[1] = {1,  203, 0, 113, 10, 0x23, 0x32,  203, 0, 113, 11, 0x23, 0x32,
                 0, 0, 0, 0, 0x00, 0x00,  0, 0, 0, 0, 0x00, 0x00};
    blocks[2] = {2, 0x01, 0x2C, 0x00, 0x3C};  // polling 300 s, reduced 60 s
    blocks[3] = HasLongRfBlock(model) ? std::vector<uint8_t>{3, 0, 0, 26}  // OOK, 30 MHz crystal
                                      : std::vector<uint8_t>{3, 0, 0};
    blocks[kWifiBlock] = WifiFactory();
    blocks[7] = {7, 1, 0x00, 0x00, 0x00, 0x00, 0};  // PIN off, no PINs, no auto PIN
    blocks[10] = {10, 5};                            // jamming level
    blocks[12] = {12, 0x00, 0x01, 0x51, 0x80};      // SIM data every 86400 s
    blocks[13] = {13, 0};                            // cell data not sent
    blocks[16] = {16, 0x01};                         // jamming rules
    blocks[17] = fewerIo ? std::vector<uint8_t>{17, 1, 2}
                         : std::vector<uint8_t>{17, 1, 2, 0, 0};  // siren, common, off, off
    blocks[23] = WiredSensorsFactory(model);
    blocks[24] = {24, 0, 0, 60, 10, 3};  // ground, no delay, 60 s on, 10 s rest, 3 times
    blocks[25] = {25, 0, 0};
    blocks[26] = {26, 0};
    blocks[38] = {38, 30, 0x00, 0x07};  // 30 s to arm, count time + siren and buzzer beeps
    blocks[39] = {39, 0};
    blocks[40] = {40, 1, 1, 0, 0, 0, 0, 0, 0};
    // Safe off, ground polarity, max 30.0, min 5.0 degrees, 10 s debounces, 300 s open.
    blocks[41] = {41, 0x00, 0x00, 0, 0x01, 0x2C, 0x00, 0x32, 10, 10, 0x01, 0x2C};
    blocks[42] = {42, 0x00, 0x00};
    return blocks;
}

bool WifiBlockFits(const uint8_t* block, size_t length)
{
    if (block == nullptr || length < 3 || block[0] != kWifiBlock) {
        return false;
    }
    const size_t ssidLength = block[1];
    if (ssidLength > kWifiFieldMax || 2 + ssidLength >= length) {
        return false;
    }
    const size_t passwordLength = block[2 + ssidLength];
    return passwordLength <= kWifiFieldMax && 3 + ssidLength + passwordLength == length;
}

bool IsAcceptableWrite(const uint8_t* block, size_t length, uint8_t model)
{
    if (block == nullptr || length == 0) {
        return false;
    }
    const bool fewerIo = model == kModelWithFewerIo;
    switch (block[0]) {
    case 1: return length == 25;
    case 2: return length == 5;
    case kRfConfigBlock: return length == (HasLongRfBlock(model) ? 4u : 3u);
    case kWifiBlock: return WifiBlockFits(block, length);
    case 17: return length == (fewerIo ? 3u : 5u);
    case 23: return length == (fewerIo ? 21u : 31u);
    case 24: return length == 6;
    case 25: return length == 3;
    case 26: return length == 2;
    case 38: return length == 4;
    case 39: return length == 2;
    case 40: return length == 9;
    case 41: return length == 12;
    case 42: return length == 3;
    default: return false;
    }
}

}  // namespace sim
