#pragma once
// The firmware image file and its in-memory copy. A file is a 28-byte header
// followed by packetCount records of 208 bytes, every multi-byte field least
// significant byte first. The data of each record is scrambled in the file;
// memory and the wire carry it plain.
//
// Loading reads from a ByteSource, so a test fills one from memory and the
// window from a file; what the window must show and say comes back as an
// ImageLoadReport.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/files/safe_file.h"


inline constexpr std::size_t kImageHeaderSize = 28;
inline constexpr std::size_t kImagePacketSize = 208;
inline constexpr std::size_t kPacketDataSize = 192;
inline constexpr std::size_t kMaxImagePackets = 2614;

inline constexpr std::uint32_t kHeaderMagic = 0x12A58A45;
inline constexpr std::uint32_t kTrailerMagic = 0x7A95AC1F;
inline constexpr std::uint32_t kPacketMagic = 0x567B35A0;

// Scrambling of packetData: add kPacketOffset to each byte, then XOR it with
// the key byte of its index modulo 8. Both are fixed for every image made
// for these panels.
inline constexpr std::array<std::uint8_t, 8> kPacketKey{0x5C, 0xE1, 0x07, 0xA4, 0x39, 0xD2, 0x6B, 0x10};
inline constexpr std::uint8_t kPacketOffset = 0x3D;

struct ImageHeader {
    std::uint32_t headerMagic = 0;
    std::uint32_t buildTime = 0;  // seconds since 1970
    std::uint8_t modelCode = 0;
    std::uint8_t firmwareId = 0;
    std::uint16_t imageWord = 0;
    std::uint16_t packetCount = 0;
    std::uint32_t trailerMagic = 0;
};

struct ImagePacket {
    std::uint32_t packetMagic = 0;
    std::uint16_t dataLength = 0;
    std::uint32_t packetTag = 0;
    std::array<std::uint8_t, kPacketDataSize> packetData{};
};

// Field views of the on-disk records; the reserved bytes read as nothing and
// are written as zeros.
ImageHeader DecodeImageHeader(const std::uint8_t (&bytes)[kImageHeaderSize]);
std::array<std::uint8_t, kImageHeaderSize> EncodeImageHeader(const ImageHeader& header);
ImagePacket DecodeImagePacket(const std::uint8_t (&bytes)[kImagePacketSize]);
// The record as it is stored, data scrambled.
std::array<std::uint8_t, kImagePacketSize> EncodeImagePacket(const ImagePacket& plain);

// Only the first dataLength bytes change (dataLength is capped at the data
// area); the rest of the data stays as it was.
void DescramblePacket(ImagePacket& packet);
void ScramblePacket(ImagePacket& packet);

// The build date as the window shows it, in the computer's time zone:
// "Quinta 10 de Dezembro de 2026  -  04:05:06\n". A time the calendar
// conversion refuses (before 1970 in local time, or the top bit set, read as
// a signed number) gives "Data inválida".
std::string BuildDateText(std::uint32_t buildTime);

// Where the loader's bytes come from. Read returns how many bytes it put in
// `into`, fewer than asked only at the end of the data.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::size_t Read(std::uint8_t* into, std::size_t count) = 0;
};

class MemoryByteSource final : public ByteSource {
public:
    explicit MemoryByteSource(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
    std::size_t Read(std::uint8_t* into, std::size_t count) override;

private:
    std::vector<std::uint8_t> bytes_;
    std::size_t at_ = 0;
};

// The largest image file opened: many times the largest image, so only a
// file that cannot be one is refused.
inline constexpr std::uint64_t kMaxImageFileSize = 16u << 20;

// A file opened for binary reading, closed when the source goes away, so it
// is closed on every path of a load.
class FileByteSource final : public ByteSource {
public:
    // The path is UTF-8. Empty when the file cannot be opened, or is not a
    // regular file of at most kMaxImageFileSize bytes (a FIFO would hang).
    static std::unique_ptr<FileByteSource> Open(const std::string& path);
    std::size_t Read(std::uint8_t* into, std::size_t count) override;

private:
    explicit FileByteSource(FileHandle file) : file_(std::move(file)) {}
    FileHandle file_;
};

// The texts of a read header: model, version, build date, "Pacotes: %d".
struct ImageInfoTexts {
    std::string model;
    std::string version;
    std::string buildDate;
    std::string packets;
};

// What one load asks of the window, step by step in the order the window
// must take them: the boxes come between the changes to its controls.
struct ImageLoadStep {
    enum class Kind {
        ShowInfo,      // fill the four labels from ImageLoadReport::info
        ClearInfo,     // ClearImageInfo: path and the four labels emptied
        EnableStart,   // "Iniciar" enabled
        DisableStart,  // "Iniciar" disabled
        Error,         // a box captioned "Erro" with text
    };
    Kind kind;
    std::string text;
};

struct ImageLoadReport {
    ImageInfoTexts info;
    std::vector<ImageLoadStep> steps;
    bool accepted = false;
};

class FirmwareImage {
public:
    FirmwareImage();

    // Reads a whole image from source; a null source is a file that could
    // not be opened. fileName is remembered when the image is accepted.
    ImageLoadReport Load(ByteSource* source, const std::string& fileName);

    // Closing the window forgets the image: invalid, both header magics zeroed.
    void Close();

    bool ImageValid() const { return valid_; }
    const ImageHeader& Header() const { return header_; }
    const std::string& FileName() const { return fileName_; }
    // The packet numbered n (from 1) when a load read it and no later load
    // dropped it, else null.
    const ImagePacket* Packet(std::uint32_t number) const;

private:
    ImageHeader header_;
    // The packets the last load read, in order: slot n-1 holds packet n.
    std::vector<ImagePacket> slots_;
    std::string fileName_;
    bool valid_ = false;
};
