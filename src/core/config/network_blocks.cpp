#include "core/config/network_blocks.h"

#include <algorithm>

#include "core/bytes/big_endian.h"
#include "core/config/fixed_block_codec.h"
#include "core/panel/block_table.h"

namespace {


// One text field of the Wi-Fi answer, read at pos; advances pos past what it used.
std::optional<std::vector<std::uint8_t>> TakeWifiText(const std::uint8_t* payload, std::size_t length,
                                                      std::size_t& pos)
{
    if (pos >= length) return std::nullopt;
    const std::size_t announced = payload[pos++];
    if (announced == 0 || announced > kMaxWifiTextLength) return std::nullopt;
    const std::size_t available = std::min(announced, length - pos);
    std::vector<std::uint8_t> text(payload + pos, payload + pos + available);
    pos += available;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == 0) {
            text.resize(i);
            break;
        }
    }
    return text;
}

}  // namespace

std::vector<std::uint8_t> PackServerAddresses(const ServerAddresses& servers)
{
    std::vector<std::uint8_t> block(FixedBlockLength(BlockId::IpAddressesAndPorts));
    block[0] = BlockByte(BlockId::IpAddressesAndPorts);
    std::size_t pos = 1;
    for (const ServerAddress& server : servers) {
        for (std::int32_t octet : server.octets) block[pos++] = LowByte(octet);
        PutBigEndian16(&block[pos], LowWord(server.port));
        pos += 2;
    }
    return block;
}

std::optional<ServerAddresses> UnpackServerAddresses(const std::uint8_t* payload, std::size_t length)
{
    if (!IsBlockAnswer(BlockId::IpAddressesAndPorts, payload, length)) return std::nullopt;
    ServerAddresses servers;
    std::size_t pos = 1;
    for (ServerAddress& server : servers) {
        for (std::int32_t& octet : server.octets) octet = payload[pos++];
        server.port = GetBigEndian16(&payload[pos]);
        pos += 2;
    }
    return servers;
}

bool HasPrivateAddress(const std::function<std::int32_t(std::size_t row, std::size_t octet)>& octet)
{
    for (std::size_t row = 0; row < kServerCount; ++row) {
        if (octet(row, 0) == 10) return true;
    }
    for (std::size_t row = 0; row < kServerCount; ++row) {
        if (octet(row, 0) == 172) return true;
    }
    for (std::size_t row = 0; row < kServerCount; ++row) {
        if (octet(row, 0) == 192 && octet(row, 1) == 168) return true;
    }
    return false;
}

std::vector<std::uint8_t> PackPollingIntervals(const PollingIntervals& intervals)
{
    std::vector<std::uint8_t> block(FixedBlockLength(BlockId::PollingInterval));
    block[0] = BlockByte(BlockId::PollingInterval);
    PutBigEndian16(&block[1], LowWord(intervals.interval));
    PutBigEndian16(&block[3], LowWord(intervals.reduced));
    return block;
}

std::optional<PollingIntervals> UnpackPollingIntervals(const std::uint8_t* payload, std::size_t length)
{
    if (!IsBlockAnswer(BlockId::PollingInterval, payload, length)) return std::nullopt;
    return PollingIntervals{GetBigEndian16(&payload[1]), GetBigEndian16(&payload[3])};
}

std::optional<std::vector<std::uint8_t>> PackWifiNetwork(const WifiNetwork& network)
{
    if (network.name.size() > kMaxWifiTextLength || network.password.size() > kMaxWifiTextLength) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> block;
    block.reserve(3 + network.name.size() + network.password.size());
    block.push_back(BlockByte(BlockId::WifiNetwork));
    block.push_back(static_cast<std::uint8_t>(network.name.size()));
    block.insert(block.end(), network.name.begin(), network.name.end());
    block.push_back(static_cast<std::uint8_t>(network.password.size()));
    block.insert(block.end(), network.password.begin(), network.password.end());
    return block;
}

WifiAnswer UnpackWifiNetwork(const std::uint8_t* payload, std::size_t length)
{
    WifiAnswer answer;
    if (!IsBlockAnswer(BlockId::WifiNetwork, payload, length)) return answer;
    std::size_t pos = 1;
    answer.name = TakeWifiText(payload, length, pos);
    answer.password = TakeWifiText(payload, length, pos);
    return answer;
}
