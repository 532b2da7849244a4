#pragma once
// What a device's identity means to a person: its model code, firmware
// version byte and serial number turned into the texts the windows show.
// Plain functions of their input, so the windows, the command-line tool and
// the library's reports show a panel alike.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// Model code, version byte, then the serial number big-endian.
inline constexpr std::size_t kIdentificationLength = 6;

struct Identification {
    std::uint8_t model = 0;
    std::uint8_t version = 0;
    std::uint32_t serial = 0;
};

// The display name of a model code, or "Erro Modelo" for a code not in use.
std::string ModelDisplayName(std::uint8_t modelCode);

// "V1.03 - (teste)" for an odd minor nibble, "V1.02 - (oficial)" for an even
// one, "Inválida" for 0xFF (no valid firmware).
std::string VersionText(std::uint8_t version);

// An identification payload is exactly six bytes; anything else is ignored.
std::optional<Identification> ParseIdentification(const std::uint8_t* payload, std::size_t length);

// The status bar text: "Modelo: <name>  -  Versão: <version>  -  Serial: <n>".
// The serial is an unsigned 32-bit number, never shown with a sign.
std::string IdentificationText(const Identification& identity);
