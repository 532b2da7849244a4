#pragma once
// A serial line reached across the network, as the installer writes it:
// rfc2217://host:port (a serial server that carries the line settings) or
// socket://host:port (raw bytes: the converter's own settings apply).
// The host is an IPv4 address, an IPv6 address in brackets or a host name.
// Standard C++ only: the command-line tool, the window and the catalogue
// all read addresses through this one parser.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct NetworkAddress {
    enum class Scheme { Rfc2217, Socket };
    Scheme scheme = Scheme::Rfc2217;
    std::string host;  // without the brackets of an IPv6 address
    std::uint16_t port = 0;

    // "rfc2217://[::1]:2217": what the parser reads back as this address.
    std::string Text() const;
    bool operator==(const NetworkAddress&) const = default;
};

// Why a text is no network address; each caller puts it into its own words.
enum class AddressProblem {
    UnknownScheme,   // "ftp://..." or no "://" at all
    Blank,           // a space, tab or other blank anywhere
    ControlCharacter,
    UserInfo,        // "user@host": no credentials go into an address
    MissingHost,
    BadHost,         // characters no host name has, or an IPv6 address out of shape
    MissingPort,
    BadPort,         // not a number, 0 or above 65535
    TrailingText,    // a path, query or anything after the port
};

struct AddressParse {
    std::optional<NetworkAddress> address;
    AddressProblem problem = AddressProblem::UnknownScheme;  // when there is no address
};

// Whether the text is written as an address at all (letters, then "://"):
// such a text is never a COM number or a device path, even when it is wrong.
bool LooksLikeNetworkAddress(std::string_view text);
AddressParse ParseNetworkAddress(std::string_view text);
