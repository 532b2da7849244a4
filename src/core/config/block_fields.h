#pragma once
// What a configuration block holds, field by field, named by the captions of
// the window that edits it: the backup file shows a block's fields and a
// comparison names the fields that differ. One table, one entry per block,
// built on the block codecs; a block without an entry is shown as bytes.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct BlockField {
    std::string caption;  // as labelled in the window, without its colon
    std::string value;    // as the window shows it
    bool secret = false;  // the Wi-Fi password, or the bytes of a block that holds it
    bool operator==(const BlockField&) const = default;
};

// The caption of a block shown as its bytes, where no field is known.
inline constexpr const char* kBytesCaption = "Bytes";

// The fields of a block (payload with its block id first), or nothing when
// no field is known for the block or the payload does not decode.
std::optional<std::vector<BlockField>> DecodeBlockFields(const std::uint8_t* payload, std::size_t length);
inline std::optional<std::vector<BlockField>> DecodeBlockFields(const std::vector<std::uint8_t>& block)
{
    return DecodeBlockFields(block.data(), block.size());
}

// The rows a display shows for a block: its fields, or where they are not
// known (or do not decode) one "Bytes" row in hexadecimal, secret when the
// block holds a secret.
std::vector<BlockField> BlockRows(const std::vector<std::uint8_t>& block);

// One difference between two forms of a block: a field by caption, or, where
// no field is known, the bytes ("Bytes") as hexadecimal.
struct FieldChange {
    std::string caption;
    std::string before;
    std::string after;
    bool secret = false;  // as BlockField::secret, for both sides
    bool operator==(const FieldChange&) const = default;
};
std::vector<FieldChange> CompareBlock(const std::vector<std::uint8_t>& before, const std::vector<std::uint8_t>& after);

// A value as a display shows it: a secret one, unless the user asked for
// secrets, as "••••••••" for a field and "(oculto)" for bytes, so that
// neither its text nor its length shows; an empty value stays empty.
std::string ShownValue(const std::string& caption, const std::string& value, bool secret, bool showSecrets);

