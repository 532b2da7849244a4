#pragma once
// Block 3, the RF radio: modulation and crystal. Older radios answer the
// short form (modulation and its parameter); newer ones add the crystal
// byte. A write must use the form the panel last answered in.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// RfConfigForm: the form of the last accepted answer since the last read.
enum class RfBlockForm : std::uint8_t {
    None = 0,  // no answer since the last read: nothing may be written
    Short = 1,
    Long = 2,
};

struct RfConfig {
    bool fsk = false;           // else OOK
    bool crystal30MHz = false;  // else 32 MHz; long form only
};

struct RfConfigAnswer {
    RfBlockForm form = RfBlockForm::None;
    RfConfig config;
};

// Id first; nothing for RfBlockForm::None.
std::optional<std::vector<std::uint8_t>> PackRfConfig(const RfConfig& config, RfBlockForm form);
// An answer of 3 or 4 bytes; the crystal reads as 32 MHz in the short form.
std::optional<RfConfigAnswer> UnpackRfConfig(const std::uint8_t* payload, std::size_t length);
