#pragma once
// Status frames built byte by byte, and lookups into a decoder's updates.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/diagnostics/label_update.h"

// A payload of the given length with the common header filled in.
inline std::vector<std::uint8_t> StatusPayload(std::uint8_t page, std::size_t length, std::uint32_t serial = 123456,
                                               std::uint32_t timestamp = 0x6579D28A)
{
    std::vector<std::uint8_t> p(length, 0);
    const std::uint8_t header[] = {page,
                                   51,
                                   0x13,
                                   static_cast<std::uint8_t>(serial >> 24),
                                   static_cast<std::uint8_t>(serial >> 16),
                                   static_cast<std::uint8_t>(serial >> 8),
                                   static_cast<std::uint8_t>(serial),
                                   static_cast<std::uint8_t>(timestamp >> 24),
                                   static_cast<std::uint8_t>(timestamp >> 16),
                                   static_cast<std::uint8_t>(timestamp >> 8),
                                   static_cast<std::uint8_t>(timestamp)};
    for (std::size_t i = 0; i < sizeof header && i < length; ++i) p[i] = header[i];
    return p;
}

inline void Put16(std::vector<std::uint8_t>& p, std::size_t at, std::uint16_t value)
{
    p[at] = static_cast<std::uint8_t>(value >> 8);
    p[at + 1] = static_cast<std::uint8_t>(value);
}

inline void Put32(std::vector<std::uint8_t>& p, std::size_t at, std::uint32_t value)
{
    Put16(p, at, static_cast<std::uint16_t>(value >> 16));
    Put16(p, at + 2, static_cast<std::uint16_t>(value));
}

inline void PutText(std::vector<std::uint8_t>& p, std::size_t at, const std::string& text)
{
    for (std::size_t i = 0; i < text.size(); ++i) p[at + i] = static_cast<std::uint8_t>(text[i]);
}

// The last update of a name (later updates win, as on the window).
inline std::optional<LabelUpdate> Find(const LabelUpdates& updates, const std::string& name)
{
    std::optional<LabelUpdate> found;
    for (const LabelUpdate& u : updates) {
        if (u.name == name) found = u;
    }
    return found;
}

inline std::string TextOf(const LabelUpdates& updates, const std::string& name)
{
    const auto u = Find(updates, name);
    return u && u->text ? *u->text : "<none>";
}
