#include "core/diagnostics/diagnostic_log.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "core/bytes/big_endian.h"
#include "core/bytes/hex_text.h"
#include "core/diagnostics/status_fields.h"
#include "core/diagnostics/status_pages.h"
#include "core/files/safe_file.h"
#include "core/files/utf8_path.h"

namespace {

// value in exactly `width` digits, leading zeros included.
void AppendDigits(std::string& text, int value, int width)
{
    char digits[4];
    for (int i = width - 1; i >= 0; --i) {
        digits[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    text.append(digits, static_cast<std::size_t>(width));
}

// "2026-12-10T04:05:06.789Z" appended to text. Once per record: formatted
// by hand, as a formatted print cost a third of a log's conversion.
void AppendUtcIsoText(std::string& text, std::int64_t ms)
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
    if (when.year < 0 || when.year > 9999) {
        // Years of other widths, or a sign: the print's own rules.
        char wide[64];
        std::snprintf(wide, sizeof wide, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", when.year, when.month, when.day,
                      when.hour, when.minute, when.second, millis);
        text += wide;
        return;
    }
    AppendDigits(text, when.year, 4);
    text.push_back('-');
    AppendDigits(text, when.month, 2);
    text.push_back('-');
    AppendDigits(text, when.day, 2);
    text.push_back('T');
    AppendDigits(text, when.hour, 2);
    text.push_back(':');
    AppendDigits(text, when.minute, 2);
    text.push_back(':');
    AppendDigits(text, when.second, 2);
    text.push_back('.');
    AppendDigits(text, millis, 3);
    text.push_back('Z');
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

DiagnosticLogReader::DiagnosticLogReader(std::istream& in) : in_(&in) { ReadHeader(); }

DiagnosticLogReader::DiagnosticLogReader(std::FILE* file) : file_(file) { ReadHeader(); }

std::size_t DiagnosticLogReader::Read(std::uint8_t* into, std::size_t count)
{
    if (file_ != nullptr) {
        // A record is some tens of bytes: read in large pieces, as a call
        // to the library per record cost more than the record's own work.
        std::size_t done = 0;
        while (done < count) {
            if (bufferAt_ == buffer_.size()) {
                buffer_.resize(kReadPiece);
                buffer_.resize(std::fread(buffer_.data(), 1, kReadPiece, file_));
                bufferAt_ = 0;
                if (buffer_.empty()) break;
            }
            const std::size_t piece = std::min(count - done, buffer_.size() - bufferAt_);
            std::memcpy(into + done, buffer_.data() + bufferAt_, piece);
            bufferAt_ += piece;
            done += piece;
        }
        return done;
    }
    in_->read(reinterpret_cast<char*>(into), static_cast<std::streamsize>(count));
    return static_cast<std::size_t>(in_->gcount());
}

void DiagnosticLogReader::ReadHeader()
{
    std::array<std::uint8_t, kLogHeaderSize> header{};
    if (Read(header.data(), header.size()) != header.size() ||
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
    LogRecord record;
    if (!Next(record)) return std::nullopt;
    return record;
}

bool DiagnosticLogReader::Next(LogRecord& record)
{
    if (!problem_.empty()) return false;
    const auto where = [this] { return "record " + std::to_string(recordsRead_ + 1); };
    std::array<std::uint8_t, kLogRecordHeaderSize> head{};
    const std::size_t got = Read(head.data(), head.size());
    if (got == 0) return false;  // the end, between two records
    if (got != head.size()) {
        problem_ = where() + " is cut short (the file ends inside its header)";
        return false;
    }
    const std::uint16_t length = GetBigEndian16(head.data() + 8);
    if (length > kLogMaxPayload) {
        problem_ = where() + " is damaged (payload length " + std::to_string(length) + " is over " +
                   std::to_string(kLogMaxPayload) + ")";
        return false;
    }
    record.receivedMs = static_cast<std::int64_t>(GetBigEndian64(head.data()));
    record.payload.resize(length);
    if (Read(record.payload.data(), length) != length) {
        problem_ = where() + " is cut short (the file ends inside its payload)";
        return false;
    }
    ++recordsRead_;
    return true;
}

std::string LogCsvHeader()
{
    return "received_ms,received_utc,length,page,model,version,serial,cpu_timestamp,payload_hex";
}

namespace {

void AppendNumber(std::string& text, std::uint64_t value)
{
    char digits[24];
    char* end = digits + sizeof digits;
    char* at = end;
    do {
        *--at = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    text.append(at, end);
}

void AppendSigned(std::string& text, std::int64_t value)
{
    if (value < 0) {
        text.push_back('-');
        AppendNumber(text, 0 - static_cast<std::uint64_t>(value));
    } else {
        AppendNumber(text, static_cast<std::uint64_t>(value));
    }
}

}  // namespace

void AppendLogCsvLine(const LogRecord& record, std::string& text)
{
    const std::vector<std::uint8_t>& p = record.payload;
    AppendSigned(text, record.receivedMs);
    text.push_back(',');
    AppendUtcIsoText(text, record.receivedMs);
    text.push_back(',');
    AppendNumber(text, p.size());
    text.push_back(',');
    if (const std::optional<StatusHeader> header = DecodeStatusHeader(p.data(), p.size())) {
        AppendNumber(text, header->pageCode);
        text.push_back(',');
        AppendNumber(text, header->model);
        text += ",0x";
        AppendHexBytes(text, &header->version, 1);
        text.push_back(',');
        AppendNumber(text, header->serial);
        text.push_back(',');
        AppendNumber(text, header->timestamp);
        text.push_back(',');
    } else {
        text += ",,,,,";
    }
    AppendHexBytes(text, p.data(), p.size(), "");
}

std::string LogCsvLine(const LogRecord& record)
{
    std::string line;
    AppendLogCsvLine(record, line);
    return line;
}

std::size_t WriteLogCsv(DiagnosticLogReader& reader, const std::function<void(std::string_view)>& write)
{
    constexpr std::size_t kPiece = 64 * 1024;
    std::string text = LogCsvHeader() + "\n";
    text.reserve(kPiece + 1024);
    LogRecord record;
    std::size_t count = 0;
    while (reader.Next(record)) {
        AppendLogCsvLine(record, text);
        text.push_back('\n');
        ++count;
        if (text.size() >= kPiece) {
            write(text);
            text.clear();
        }
    }
    if (!text.empty()) write(text);
    return count;
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
