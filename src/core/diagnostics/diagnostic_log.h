#pragma once
// The diagnostic log: the name offered for it, and its file.
//
// File layout, every number big-endian:
//   header   8 bytes  magic "QVDLOG\r\n" (a text-mode copy breaks it visibly)
//            2 bytes  format version, 1
//   record   8 bytes  time of receipt, milliseconds since 1970 (UTC) as read
//                     from the computer's clock
//            2 bytes  payload length, at most 251 (what one frame can carry)
//            n bytes  the status frame's payload as received
// Records follow one another to the end of the file. A reader stops at the
// first record that is cut short or impossible and says why, keeping every
// record before it.

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string_view>
#include <istream>
#include <optional>
#include <string>
#include <vector>

#include "core/panel/date_text.h"

inline constexpr std::array<std::uint8_t, 8> kLogMagic{'Q', 'V', 'D', 'L', 'O', 'G', '\r', '\n'};
inline constexpr std::uint16_t kLogFormatVersion = 1;
inline constexpr std::size_t kLogHeaderSize = 10;
inline constexpr std::size_t kLogRecordHeaderSize = 10;
inline constexpr std::size_t kLogMaxPayload = 251;

// "LogCentralAlarme_000123456_07122026_225626": serial (unsigned, nine
// digits at least), then day, month, year, hour, minute, second.
std::string SuggestedLogName(std::uint32_t serial, const LocalDateTime& now);

// The chosen path with ".bin" appended, unless it already ends so.
std::string WithLogExtension(const std::string& path);

struct LogRecord {
    std::int64_t receivedMs = 0;
    std::vector<std::uint8_t> payload;

    bool operator==(const LogRecord&) const = default;
};

std::vector<std::uint8_t> EncodeLogHeader();
// A payload longer than kLogMaxPayload is cut to it.
std::vector<std::uint8_t> EncodeLogRecord(std::int64_t receivedMs, const std::uint8_t* payload, std::size_t length);

class DiagnosticLogReader {
public:
    // Reads and checks the file header at once.
    explicit DiagnosticLogReader(std::istream& in);
    explicit DiagnosticLogReader(std::FILE* file);
    // The next record; nothing at the end of the file or at damage.
    std::optional<LogRecord> Next();
    // The same into a record whose storage is reused; false at the end.
    bool Next(LogRecord& record);
    // Empty while the file is whole; else what is wrong and where.
    const std::string& Problem() const { return problem_; }
    std::size_t RecordsRead() const { return recordsRead_; }

private:
    void ReadHeader();
    std::size_t Read(std::uint8_t* into, std::size_t count);

    std::istream* in_ = nullptr;
    std::FILE* file_ = nullptr;
    std::string problem_;
    std::size_t recordsRead_ = 0;
};

// One CSV line per record: the time of receipt, the status header decoded
// (empty fields when the payload is too short to hold it), the payload in
// hexadecimal. No line break at the end.
std::string LogCsvHeader();
std::string LogCsvLine(const LogRecord& record);
// The same line appended to text, without a line break.
void AppendLogCsvLine(const LogRecord& record, std::string& text);

// The whole CSV of a log, header first, each line ending in a line break,
// handed to write in pieces of some tens of kilobytes: memory stays flat
// however long the log. Returns the records written; the reader's
// Problem() then says whether the file ended whole.
std::size_t WriteLogCsv(DiagnosticLogReader& reader, const std::function<void(std::string_view)>& write);

// Appends records to a log file, one whole record per write, flushed at once.
class DiagnosticLogWriter {
public:
    enum class Status { Ok, CannotOpen, NotALog, WriteFailed };

    DiagnosticLogWriter() = default;
    DiagnosticLogWriter(const DiagnosticLogWriter&) = delete;
    DiagnosticLogWriter& operator=(const DiagnosticLogWriter&) = delete;
    ~DiagnosticLogWriter();

    // Creates the file (a UTF-8 path) with its header when it is absent or
    // empty, appends to a whole log of this format, and refuses any other
    // file (its content is never touched).
    Status Open(const std::string& path);
    // On a failure the file is cut back to its last whole record and closed.
    Status Append(std::int64_t receivedMs, const std::uint8_t* payload, std::size_t length);
    void Close();
    bool IsOpen() const { return file_ != nullptr; }
    // The system's words for the last failure, for the message.
    const std::string& SystemError() const { return systemError_; }

private:
    Status Fail(Status status);

    std::FILE* file_ = nullptr;
    std::filesystem::path path_;
    std::uintmax_t wholeSize_ = 0;
    std::string systemError_;
};
