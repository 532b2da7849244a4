#include "core/config/safe_blocks.h"

#include <algorithm>
#include <cfloat>
#include <charconv>

#include "core/bytes/big_endian.h"
#include "core/config/fixed_block_codec.h"

namespace {

constexpr std::uint16_t kSignBit = 0x8000;
constexpr std::uint16_t kMagnitudeMask = 0x0FFF;
// Far past any temperature, and small enough that no sum below overflows.
constexpr std::int64_t kExponentClamp = 1000000;
// A value with more integer digits than this is past single precision
// (FLT_MAX has 39); one with exactly as many needs a closer look.
constexpr std::int64_t kSinglePrecisionDigits = 39;
// Five digits of tenths are already far outside the range.
constexpr std::int64_t kMaxTenthsDigits = 5;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// A decimal number read exactly: value = digits x 10^power, sign apart.
struct DecimalNumber {
    bool negative = false;
    std::string digits;  // without leading zeros; empty for zero
    std::int64_t power = 0;
};

// The number the text begins with, or nothing when it begins with none.
std::optional<DecimalNumber> LeadingNumber(std::string_view text)
{
    std::size_t pos = 0;
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    DecimalNumber number;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) number.negative = text[pos++] == '-';

    std::string digits;
    std::int64_t fractionDigits = 0;
    bool separatorSeen = false;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (IsDigit(c)) {
            digits.push_back(c);
            if (separatorSeen) ++fractionDigits;
        } else if ((c == '.' || c == ',') && !separatorSeen) {
            // Installers write decimals with a comma as often as with a point.
            separatorSeen = true;
        } else {
            break;
        }
    }
    if (digits.empty()) return std::nullopt;

    // An exponent counts only when digits follow its letter and sign.
    std::int64_t exponent = 0;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        std::size_t at = pos + 1;
        bool negativeExponent = false;
        if (at < text.size() && (text[at] == '+' || text[at] == '-')) negativeExponent = text[at++] == '-';
        for (; at < text.size() && IsDigit(text[at]); ++at) {
            exponent = std::min(exponent * 10 + (text[at] - '0'), kExponentClamp);
        }
        if (negativeExponent) exponent = -exponent;
    }

    const std::size_t significant = digits.find_first_not_of('0');
    if (significant != std::string::npos) number.digits = digits.substr(significant);
    number.power = exponent - fractionDigits;
    return number;
}

bool BeyondSinglePrecision(const DecimalNumber& number)
{
    if (number.digits.empty()) return false;
    const std::int64_t integerDigits = static_cast<std::int64_t>(number.digits.size()) + number.power;
    if (integerDigits != kSinglePrecisionDigits) return integerDigits > kSinglePrecisionDigits;
    const std::string text = number.digits + "e" + std::to_string(number.power);
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec != std::errc() || value > FLT_MAX;
}

}  // namespace

TemperatureEntry EncodeTemperature(std::string_view text)
{
    const std::optional<DecimalNumber> number = LeadingNumber(text);
    if (!number) return {TemperatureCheck::OutOfRange, 0};
    if (BeyondSinglePrecision(*number)) return {TemperatureCheck::Unreadable, 0};

    // The magnitude in tenths: the whole part, whether anything non-zero
    // lies past it, and the first digit past it for the rounding.
    std::int32_t tenths = 0;
    bool remainder = false;
    char firstDropped = '0';
    const std::string& digits = number->digits;
    const std::int64_t count = static_cast<std::int64_t>(digits.size());
    const std::int64_t power = number->power + 1;
    if (!digits.empty()) {
        if (count + power > kMaxTenthsDigits) return {TemperatureCheck::OutOfRange, 0};
        if (power >= 0) {
            tenths = std::stoi(digits);
            for (std::int64_t i = 0; i < power; ++i) tenths *= 10;
        } else {
            const std::int64_t kept = count + power;
            if (kept > 0) tenths = std::stoi(digits.substr(0, static_cast<std::size_t>(kept)));
            const std::size_t dropFrom = static_cast<std::size_t>(std::max<std::int64_t>(kept, 0));
            remainder = digits.find_first_not_of('0', dropFrom) != std::string::npos;
            if (kept >= 0) firstDropped = digits[dropFrom];
        }
    }

    const std::int32_t limit = number->negative ? -kMinTemperatureTenths : kMaxTemperatureTenths;
    if (tenths > limit || (tenths == limit && remainder)) return {TemperatureCheck::OutOfRange, 0};
    if (firstDropped >= '5') ++tenths;

    const auto magnitude = static_cast<std::uint16_t>(tenths);
    const bool below = number->negative && magnitude != 0;
    return {TemperatureCheck::Accepted, static_cast<std::uint16_t>(below ? kSignBit | magnitude : magnitude)};
}

std::string DecodeTemperature(std::uint16_t word)
{
    const std::uint16_t magnitude = word & kMagnitudeMask;
    if (magnitude > kMaxTemperatureTenths) return "0.0";
    const bool below = (word & kSignBit) != 0 && magnitude != 0;
    // Appended rather than "-" + string: GCC 12 at -O2 warns falsely on that.
    std::string text = below ? "-" : "";
    text += std::to_string(magnitude / 10);
    text += '.';
    text += std::to_string(magnitude % 10);
    return text;
}

std::vector<std::uint8_t> PackSafeFunction(const SafeFunction& safe)
{
    std::vector<std::uint8_t> block(FixedBlockLength(BlockId::SafeFunction));
    block[0] = BlockByte(BlockId::SafeFunction);
    PutBigEndian16(&block[1], SwitchWord(safe.enabled, SafeEnabledCode));
    block[3] = safe.floatingActuator ? 1 : 0;
    PutBigEndian16(&block[4], safe.maxTemperature);
    PutBigEndian16(&block[6], safe.minTemperature);
    block[8] = LowByte(safe.maxDebounce);
    block[9] = LowByte(safe.minDebounce);
    PutBigEndian16(&block[10], LowWord(safe.longestOpen));
    return block;
}

std::optional<SafeFunction> UnpackSafeFunction(const std::uint8_t* payload, std::size_t length)
{
    if (!IsBlockAnswer(BlockId::SafeFunction, payload, length)) return std::nullopt;
    SafeFunction safe;
    safe.enabled = IsSwitchOn(GetBigEndian16(&payload[1]), SafeEnabledCode);
    safe.floatingActuator = payload[3] != 0;
    safe.maxTemperature = GetBigEndian16(&payload[4]);
    safe.minTemperature = GetBigEndian16(&payload[6]);
    safe.maxDebounce = payload[8];
    safe.minDebounce = payload[9];
    safe.longestOpen = GetBigEndian16(&payload[10]);
    return safe;
}
