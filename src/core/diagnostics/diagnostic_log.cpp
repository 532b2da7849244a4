#include "core/diagnostics/diagnostic_log.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "core/diagnostics/status_fields.h"
#include "core/diagnostics/status_pages.h"
#include "core/files/safe_file.h"
#include "core/files/utf8_path.h"
#include "core/link/big_endian.h"

namespace {

void PutBigEndian64(std::uint8_t* out, std::uint64_t value)
{
    PutBigEndian32(out, static_cast<std::uint32_t>(value >> 32));
    PutBigEndian32(out + 4, static_cast<std::uint32_t>(value));
}

std::uint64_t GetBigEndian64(const std::uint8_t* in)
{
    return std::uint64_t{GetBigEndian32(in)} << 32 | GetBigEndian32(in + 4);
}

std::string Hex(const std::uint8_t* bytes, std::size_t count)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(count * 2);
    for (std::size_t i = 0; i < count; ++i) {
        text.push_back(kDigits[bytes[i] >> 4]);
        text.push_back(kDigits[bytes[i] & 0x0F]);
    }
    return text;
}

// "2026-12-10T04:05:06.789Z"
std::string UtcIsoText(std::int64_t ms)
{
    // Floor division by the remainder: a file may hold any time at all, and
    // neither ms - 999 nor seconds * 1000 fits at the ends of the range.
    std::int64_t seconds = ms / 1000;
    int millis = static_cast<int>(ms % 1000);
    if (millis < 0) {
        millis += 1000;
        --seconds;
    }
    const LocalDateTime when = UtcCalendarTime(seconds);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", when.year, when.month, when.day, when.hour,
                  when.minute, when.second, millis);
    return text;
}

}  // namespace

std::string SuggestedLogName(std::uint32_t serial, const LocalDateTime& now)
{
    char name[96];
    std::snprintf(name, sizeof name, "LogCentralAlarme_%09u_%02d%02d%04d_%02d%02d%02d", static_cast<unsigned>(serial),
                  now.day, now.month, now.year, now.hour, now.minute, now.second);
    return name;
}

std::string WithLogExtension(const std::string& path)
{
    static constexpr std::string_view kExtension = ".bin";
    if (path.size() >= kExtension.size() && path.compare(path.size() - kExtension.size(), kExtension.size(), kExtension) == 0) {
        return path;
    }
    return path + std::string(kExtension);
}

std::vector<std::uint8_t> EncodeLogHeader()
{
    std::vector<std::uint8_t> header(kLogMagic.begin(), kLogMagic.end());
    header.resize(kLogHeaderSize);
    PutBigEndian16(header.data() + kLogMagic.size(), kLogFormatVersion);
    return header;
}

std::vector<std::uint8_t> EncodeLogRecord(std::int64_t receivedMs, const std::uint8_t* payload, std::size_t length)
{
    if (payload == nullptr) length = 0;
    if (length > kLogMaxPayload) length = kLogMaxPayload;
    std::vector<std::uint8_t> record(kLogRecordHeaderSize + length);
    PutBigEndian64(record.data(), static_cast<std::uint64_t>(receivedMs));
    PutBigEndian16(record.data() + 8, static_cast<std::uint16_t>(length));
    if (length > 0) std::memcpy(record.data() + kLogRecordHeaderSize, payload, length);
    return record;
}

DiagnosticLogReader::DiagnosticLogReader(std::istream& in) : in_(in)
{
    std::array<std::uint8_t, kLogHeaderSize> header{};
    in_.read(reinterpret_cast<char*>(header.data()), header.size());
    if (static_cast<std::size_t>(in_.gcount()) != header.size() ||
        !std::equal(kLogMagic.begin(), kLogMagic.end(), header.begin())) {
        problem_ = "not a diagnostic log (file header missing or wrong)";
        return;
    }
    const std::uint16_t version = GetBigEndian16(header.data() + kLogMagic.size());
    if (version != kLogFormatVersion) {
        problem_ = "log format version " + std::to_string(version) + " is not known (expected " +
                   std::to_string(kLogFormatVersion) + ")";
    }
}

std::optional<LogRecord> DiagnosticLogReader::Next()
{
    if (!problem_.empty()) return std::nullopt;
    const std::string where = "record " + std::to_string(recordsRead_ + 1);
    std::array<std::uint8_t, kLogRecordHeaderSize> head{};
    in_.read(reinterpret_cast<char*>(head.data()), head.size());
    const auto got = static_cast<std::size_t>(in_.gcount());
    if (got == 0) return std::nullopt;  // the end, between two records
    if (got != head.size()) {
        problem_ = where + " is cut short (the file ends inside its header)";
        return std::nullopt;
    }
    const std::uint16_t length = GetBigEndian16(head.data() + 8);
    if (length > kLogMaxPayload) {
        problem_ = where + " is damaged (payload length " + std::to_string(length) + " is over " +
                   std::to_string(kLogMaxPayload) + ")";
        return std::nullopt;
    }
    LogRecord record{static_cast<std::int64_t>(GetBigEndian64(head.data())), std::vector<std::uint8_t>(length)};
    in_.read(reinterpret_cast<char*>(record.payload.data()), length);
    if (static_cast<std::size_t>(in_.gcount()) != length) {
        problem_ = where + " is cut short (the file ends inside its payload)";
        return std::nullopt;
    }
    ++recordsRead_;
    return record;
}

std::string LogCsvHeader()
{
    return "received_ms,received_utc,length,page,model,version,serial,cpu_timestamp,payload_hex";
}

std::string LogCsvLine(const LogRecord& record)
{
    const std::vector<std::uint8_t>& p = record.payload;
    std::string line = std::to_string(record.receivedMs) + "," + UtcIsoText(record.receivedMs) + "," +
                       std::to_string(p.size()) + ",";
    if (p.size() >= kStatusHeaderLength) {
        const StatusHeader header = *DecodeStatusFrame(p.data(), p.size()).header;
        char version[8];
        std::snprintf(version, sizeof version, "0x%02X", header.version);
        line += std::to_string(header.pageCode) + "," + std::to_string(header.model) + "," + version + "," +
                std::to_string(header.serial) + "," + std::to_string(header.timestamp) + ",";
    } else {
        line += ",,,,,";
    }
    return line + Hex(p.data(), p.size());
}

DiagnosticLogWriter::~DiagnosticLogWriter()
{
    Close();
}

void DiagnosticLogWriter::Close()
{
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
}

DiagnosticLogWriter::Status DiagnosticLogWriter::Fail(Status status)
{
    systemError_ = std::strerror(errno);
    Close();
    return status;
}

DiagnosticLogWriter::Status DiagnosticLogWriter::Open(const std::string& path)
{
    Close();
    systemError_.clear();
    path_ = PathFromUtf8(path);
    // Only a regular file, created private (it holds the panel's data); a
    // device or FIFO is refused, never waited on.
    OpenedFile opened = OpenForAppending(path, AppendTarget::RegularFile);
    if (!opened.file) {
        systemError_ = opened.error;
        return Status::CannotOpen;
    }
    const std::uint64_t size = opened.size;
    if (size > 0) {
        // Appending after anything but whole records would damage the file.
        std::ifstream in(path_, std::ios::binary);
        if (!in) return Fail(Status::CannotOpen);
        DiagnosticLogReader reader(in);
        while (reader.Next()) {
        }
        if (!reader.Problem().empty()) {
            systemError_ = reader.Problem();
            return Status::NotALog;
        }
    }
    file_ = opened.file.release();
    wholeSize_ = size;
    if (size == 0) {
        const std::vector<std::uint8_t> header = EncodeLogHeader();
        if (std::fwrite(header.data(), 1, header.size(), file_) != header.size() || std::fflush(file_) != 0) {
            const Status status = Fail(Status::CannotOpen);
            std::error_code error;
            std::filesystem::resize_file(path_, 0, error);
            return status;
        }
        wholeSize_ = header.size();
    }
    return Status::Ok;
}

DiagnosticLogWriter::Status DiagnosticLogWriter::Append(std::int64_t receivedMs, const std::uint8_t* payload,
                                                        std::size_t length)
{
    if (file_ == nullptr) return Status::WriteFailed;
    const std::vector<std::uint8_t> record = EncodeLogRecord(receivedMs, payload, length);
    if (std::fwrite(record.data(), 1, record.size(), file_) != record.size() || std::fflush(file_) != 0) {
        const Status status = Fail(Status::WriteFailed);
        // What was logged before stays readable: drop the partial record.
        std::error_code error;
        std::filesystem::resize_file(path_, wholeSize_, error);
        return status;
    }
    wholeSize_ += record.size();
    return Status::Ok;
}
