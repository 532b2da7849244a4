#pragma once
// Blocks of the network tabs: the four server addresses and ports (block 1),
// the polling intervals (block 2) and the Wi-Fi network (block 6).
// Values arrive as the signed integers typed into the fields; each is stored
// in its width by keeping its low 8 or 16 bits.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// ---- Block 1 ----
inline constexpr std::size_t kServerCount = 4;

struct ServerAddress {
    std::array<std::int32_t, 4> octets{};  // octet 0 is the leftmost (192 in 192.168.0.1)
    std::int32_t port = 0;
};
using ServerAddresses = std::array<ServerAddress, kServerCount>;

std::vector<std::uint8_t> PackServerAddresses(const ServerAddresses& servers);
// The answer must be the whole 25-byte block; octets 0..255, ports 0..65535.
std::optional<ServerAddresses> UnpackServerAddresses(const std::uint8_t* payload, std::size_t length);

// Whether one of the addresses lies in a range not routed on the internet:
// first octet 10, then first octet 172 (any 172.x), then 192.168. Octets are
// fetched through octet(row, index) only as the tests need them, in that
// order, so a field that fails to convert fails at the same point each time.
bool HasPrivateAddress(const std::function<std::int32_t(std::size_t row, std::size_t octet)>& octet);

// ---- Block 2 ----
struct PollingIntervals {
    std::int32_t interval = 0;
    std::int32_t reduced = 0;
};

std::vector<std::uint8_t> PackPollingIntervals(const PollingIntervals& intervals);
std::optional<PollingIntervals> UnpackPollingIntervals(const std::uint8_t* payload, std::size_t length);

// ---- Block 6 ----
inline constexpr std::size_t kMaxWifiTextLength = 39;

struct WifiNetwork {
    std::vector<std::uint8_t> name;      // Windows-1252 bytes
    std::vector<std::uint8_t> password;  // Windows-1252 bytes
};

// Nothing when a text is longer than a field can hold.
std::optional<std::vector<std::uint8_t>> PackWifiNetwork(const WifiNetwork& network);

// What an answer carries for each field; nothing means the field keeps its
// text (a length of 0 or of 40 and more). A text is cut at its first zero
// byte, and an answer shorter than its lengths announce yields only the
// bytes it holds.
struct WifiAnswer {
    std::optional<std::vector<std::uint8_t>> name;
    std::optional<std::vector<std::uint8_t>> password;
};
WifiAnswer UnpackWifiNetwork(const std::uint8_t* payload, std::size_t length);
