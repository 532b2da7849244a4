#include "ports/network_address.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::string_view kSeparator = "://";

struct SchemeName {
    std::string_view name;
    NetworkAddress::Scheme scheme;
};
constexpr std::array<SchemeName, 2> kSchemes{{{"rfc2217", NetworkAddress::Scheme::Rfc2217},
                                              {"socket", NetworkAddress::Scheme::Socket}}};

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return Lower(x) == Lower(y);
           });
}

// Dotted decimal with four parts, each 0..255.
bool IsIpv4(std::string_view host)
{
    int parts = 0;
    std::size_t start = 0;
    while (start <= host.size()) {
        const std::size_t end = std::min(host.find('.', start), host.size());
        const std::string_view part = host.substr(start, end - start);
        if (part.empty() || part.size() > 3 || !std::all_of(part.begin(), part.end(), IsDigit)) return false;
        if (std::stoi(std::string(part)) > 255) return false;
        ++parts;
        start = end + 1;
    }
    return parts == 4;
}

// Letters, digits and hyphens in labels of 1..63 between dots, 253 at most
// in all, no label starting or ending with a hyphen. A name of digits and
// dots alone must be an IPv4 address.
bool IsHostName(std::string_view host)
{
    if (host.empty() || host.size() > 253) return false;
    bool numeric = true;
    std::size_t start = 0;
    while (start <= host.size()) {
        const std::size_t end = std::min(host.find('.', start), host.size());
        const std::string_view label = host.substr(start, end - start);
        if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-') return false;
        for (char c : label) {
            if (!IsAsciiLetter(c) && !IsDigit(c) && c != '-') return false;
            if (!IsDigit(c)) numeric = false;
        }
        start = end + 1;
    }
    return !numeric || IsIpv4(host);
}

// Hexadecimal groups and colons, at most one "::", optionally ending in
// dotted IPv4; no zone (a link-local address names no serial server).
bool IsIpv6(std::string_view host)
{
    if (host.size() < 2 || host.size() > 45) return false;
    const std::size_t doubleColon = host.find("::");
    if (doubleColon != std::string_view::npos && host.find("::", doubleColon + 1) != std::string_view::npos) return false;
    int groups = 0;
    std::size_t start = 0;
    while (start <= host.size()) {
        const std::size_t end = std::min(host.find(':', start), host.size());
        const std::string_view group = host.substr(start, end - start);
        if (group.empty()) {
            // Empty groups only where "::" stands (or it begins or ends the text).
            const bool partOfDoubleColon = doubleColon != std::string_view::npos && start >= doubleColon &&
                                           start <= doubleColon + 2;
            if (!partOfDoubleColon) return false;
        } else if (end == host.size() && group.find('.') != std::string_view::npos) {
            if (!IsIpv4(group)) return false;
            groups += 2;
        } else {
            if (group.size() > 4 || !std::all_of(group.begin(), group.end(), IsHexDigit)) return false;
            ++groups;
        }
        start = end + 1;
    }
    return doubleColon != std::string_view::npos ? groups < 8 : groups == 8;
}

AddressParse Problem(AddressProblem problem) { return {std::nullopt, problem}; }

}  // namespace

std::string NetworkAddress::Text() const
{
    std::string text(scheme == Scheme::Rfc2217 ? "rfc2217" : "socket");
    text += kSeparator;
    text += host.find(':') != std::string::npos ? "[" + host + "]" : host;
    text += ":" + std::to_string(port);
    return text;
}

bool LooksLikeNetworkAddress(std::string_view text)
{
    const std::size_t separator = text.find(kSeparator);
    if (separator == std::string_view::npos || separator == 0) return false;
    const std::string_view scheme = text.substr(0, separator);
    return IsAsciiLetter(scheme.front()) && std::all_of(scheme.begin(), scheme.end(), [](char c) {
               return IsAsciiLetter(c) || IsDigit(c) || c == '+' || c == '-' || c == '.';
           });
}

AddressParse ParseNetworkAddress(std::string_view text)
{
    // Blanks and control characters first: they are what a pasted address
    // most often carries, and the message must say so rather than blame the host.
    for (unsigned char c : text) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f') return Problem(AddressProblem::Blank);
        if (c < 0x20 || c == 0x7F) return Problem(AddressProblem::ControlCharacter);
    }
    if (!LooksLikeNetworkAddress(text)) return Problem(AddressProblem::UnknownScheme);
    const std::size_t separator = text.find(kSeparator);
    const std::string_view schemeText = text.substr(0, separator);
    const auto scheme = std::find_if(kSchemes.begin(), kSchemes.end(),
                                     [schemeText](const SchemeName& s) { return EqualsIgnoringCase(s.name, schemeText); });
    if (scheme == kSchemes.end()) return Problem(AddressProblem::UnknownScheme);

    std::string_view rest = text.substr(separator + kSeparator.size());
    const std::size_t tail = rest.find_first_of("/?#");
    const std::size_t at = rest.find('@');
    if (at != std::string_view::npos && at < std::min(tail, rest.size())) return Problem(AddressProblem::UserInfo);
    if (tail != std::string_view::npos) {
        // "host:port/" is the only tail forgiven: nothing follows the slash.
        if (!(tail + 1 == rest.size() && rest[tail] == '/')) return Problem(AddressProblem::TrailingText);
        rest = rest.substr(0, tail);
    }

    NetworkAddress address;
    address.scheme = scheme->scheme;
    std::string_view portText;
    if (!rest.empty() && rest.front() == '[') {
        const std::size_t close = rest.find(']');
        if (close == std::string_view::npos) return Problem(AddressProblem::BadHost);
        const std::string_view host = rest.substr(1, close - 1);
        if (host.empty()) return Problem(AddressProblem::MissingHost);
        if (!IsIpv6(host)) return Problem(AddressProblem::BadHost);
        address.host = std::string(host);
        const std::string_view after = rest.substr(close + 1);
        if (after.empty()) return Problem(AddressProblem::MissingPort);
        if (after.front() != ':') return Problem(AddressProblem::BadHost);
        portText = after.substr(1);
    } else {
        const std::size_t colon = rest.rfind(':');
        const std::string_view host = rest.substr(0, colon == std::string_view::npos ? rest.size() : colon);
        if (host.empty()) return Problem(AddressProblem::MissingHost);
        // An IPv6 address without brackets cannot be told from its port.
        if (host.find(':') != std::string_view::npos || !IsHostName(host)) return Problem(AddressProblem::BadHost);
        if (colon == std::string_view::npos) return Problem(AddressProblem::MissingPort);
        address.host = std::string(host);
        portText = rest.substr(colon + 1);
    }
    if (portText.empty()) return Problem(AddressProblem::MissingPort);
    if (portText.size() > 5 || !std::all_of(portText.begin(), portText.end(), IsDigit)) return Problem(AddressProblem::BadPort);
    const int port = std::stoi(std::string(portText));
    if (port < 1 || port > 65535) return Problem(AddressProblem::BadPort);
    address.port = static_cast<std::uint16_t>(port);
    // Host names are not case-sensitive: one spelling, so one address compares equal.
    std::transform(address.host.begin(), address.host.end(), address.host.begin(), Lower);
    return {std::move(address), AddressProblem::UnknownScheme};
}
