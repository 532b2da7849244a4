#pragma once
// The modem's two status pages and the code tables that turn their bytes
// into text.
//   Page 5 (46 bytes): 11..25 IMEI, 26..45 SIM card number (texts).
//   Page 8 (40 bytes): 11 modem state, 12 packet-data state, 16 packet-data
//     link, 17 server link, 22 registration, 23..24 signal, 25 modem
//     attempts, 26 dial failures, 27 indicator, 28 operator in use,
//     30 SIM card operator, 31 APN count, 34 connection attempts,
//     36..39 packet-data address. Other bytes are not shown.

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/diagnostics/label_update.h"

inline constexpr std::uint8_t kModemIdentityPage = 5;
inline constexpr std::size_t kModemIdentityPageLength = 46;
inline constexpr std::uint8_t kModemStatusPage = 8;
inline constexpr std::size_t kModemStatusPageLength = 40;

// Both decoders take a payload of exactly their page's length.
LabelUpdates DecodeModemIdentityPage(const std::uint8_t* payload);
LabelUpdates DecodeModemStatusPage(const std::uint8_t* payload);

// "?????" for a code outside the tables.
const char* ModemStateText(std::uint8_t code);
const char* PacketDataStateText(std::uint8_t code);

struct ColouredText {
    const char* text;
    LabelColour colour;
};
ColouredText RegistrationText(std::uint8_t code);
ColouredText ModemIndicatorText(std::uint8_t code);

// "Desconhecida" above 31.
const char* OperatorName(std::uint8_t code);

// Bars of the signal picture, 0 to 5; 99 is the modem's "not known".
int SignalBars(std::uint16_t signal);
// "ImageSemSinal" for 0 bars, "ImageSinal1" to "ImageSinal5" for 1 to 5.
std::string SignalPictureName(int bars);
