#include "core/diagnostics/diagnostic_log.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/diagnostics/status_test_support.h"
#ifndef _WIN32
#include "support/file_size_limit.h"
#endif

namespace {

TEST(SuggestedLogName, SerialPaddedThenLocalDateAndTime)
{
    LocalDateTime when;
    when.year = 2026, when.month = 12, when.day = 7, when.hour = 22, when.minute = 56, when.second = 26;
    EXPECT_EQ(SuggestedLogName(123456, when), "LogCentralAlarme_000123456_07122026_225626");
    when.month = 1, when.day = 2, when.hour = 3, when.minute = 4, when.second = 5;
    EXPECT_EQ(SuggestedLogName(7, when), "LogCentralAlarme_000000007_02012026_030405");
    // Unsigned, as the serial is shown everywhere else.
    EXPECT_EQ(SuggestedLogName(4000000000u, when), "LogCentralAlarme_4000000000_02012026_030405");
}

TEST(WithLogExtension, AppendedOnce)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/tmp/log", "/tmp/log.bin"},       {"/tmp/log.bin", "/tmp/log.bin"}, {"/tmp/log.BIN", "/tmp/log.BIN.bin"},
        {"/tmp/log.bin.txt", "/tmp/log.bin.txt.bin"}, {"", ".bin"},            {"bin", "bin.bin"},
    };
    for (const auto& [chosen, path] : cases) EXPECT_EQ(WithLogExtension(chosen), path) << chosen;
}

class LogFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = std::filesystem::temp_directory_path() /
               ("quorvel_log_test_" + std::to_string(getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        path_ = (dir_ / "log.bin").string();
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string Bytes() const
    {
        std::ifstream in(path_, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    void WriteBytes(const std::string& bytes) const
    {
        std::ofstream(path_, std::ios::binary | std::ios::trunc) << bytes;
    }
    static std::pair<std::vector<LogRecord>, std::string> ReadAll(const std::string& bytes)
    {
        std::istringstream in(bytes);
        DiagnosticLogReader reader(in);
        std::vector<LogRecord> records;
        while (auto record = reader.Next()) records.push_back(*record);
        return {records, reader.Problem()};
    }

    std::filesystem::path dir_;
    std::string path_;
};

TEST_F(LogFileTest, RecordsRoundTripAndAppendAcrossSessions)
{
    const auto page1 = StatusPayload(1, 29, 7);
    const std::vector<std::uint8_t> shortFrame{1, 2, 3};
    {
        DiagnosticLogWriter writer;
        ASSERT_EQ(writer.Open(path_), DiagnosticLogWriter::Status::Ok);
        EXPECT_EQ(Bytes().size(), kLogHeaderSize);  // created when chosen
        EXPECT_EQ(writer.Append(1796875506123, page1.data(), page1.size()), DiagnosticLogWriter::Status::Ok);
        EXPECT_EQ(writer.Append(-1, shortFrame.data(), shortFrame.size()), DiagnosticLogWriter::Status::Ok);
    }
    {
        DiagnosticLogWriter writer;  // a second choice of the same file appends
        ASSERT_EQ(writer.Open(path_), DiagnosticLogWriter::Status::Ok);
        EXPECT_EQ(writer.Append(5, nullptr, 0), DiagnosticLogWriter::Status::Ok);
    }
    const std::string bytes = Bytes();
    EXPECT_EQ(bytes.substr(0, 10), std::string("QVDLOG\r\n\x00\x01", 10));
    EXPECT_EQ(bytes.substr(10, 10), std::string("\x00\x00\x01\xA2\x5E\x20\x51\xCB\x00\x1D", 10));
    const auto [records, problem] = ReadAll(bytes);
    EXPECT_EQ(problem, "");
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0], (LogRecord{1796875506123, page1}));
    EXPECT_EQ(records[1], (LogRecord{-1, shortFrame}));
    EXPECT_EQ(records[2], (LogRecord{5, {}}));

    EXPECT_EQ(LogCsvHeader(), "received_ms,received_utc,length,page,model,version,serial,cpu_timestamp,payload_hex");
    EXPECT_EQ(LogCsvLine(records[0]),
              "1796875506123,2026-12-10T04:05:06.123Z,29,1,51,0x13,7,1702482570,"
              "0133130000000765" "79D28A" + std::string(36, '0'));
    EXPECT_EQ(LogCsvLine(records[1]), "-1,1969-12-31T23:59:59.999Z,3,,,,,,010203");
}

// Found by fuzzing: a record stamped with the earliest time a file can hold
// overflowed while its time was put into words.
const std::string kEarliestTimeLog("QVDLOG\r\n\x00\x01"
                                   "\x80\x00\x00\x00\x00\x00\x00\x00\x00\x00", 20);
const std::string kLatestTimeLog("QVDLOG\r\n\x00\x01"
                                 "\x7F\xFF\xFF\xFF\xFF\xFF\xFF\xFF\x00\x00", 20);

// The largest payload a frame carries is written whole, read back, and a
// log that holds it is still appended to; a longer one is cut to it, so the
// reader accepts whatever the writer writes.
TEST_F(LogFileTest, TheLargestRecordRoundTripsAndLongerOnesAreCut)
{
    std::vector<std::uint8_t> largest(kLogMaxPayload);
    for (std::size_t i = 0; i < largest.size(); ++i) largest[i] = static_cast<std::uint8_t>(i);
    {
        DiagnosticLogWriter writer;
        ASSERT_EQ(writer.Open(path_), DiagnosticLogWriter::Status::Ok);
        ASSERT_EQ(writer.Append(1, largest.data(), largest.size()), DiagnosticLogWriter::Status::Ok);
    }
    {
        DiagnosticLogWriter writer;
        ASSERT_EQ(writer.Open(path_), DiagnosticLogWriter::Status::Ok);
        ASSERT_EQ(writer.Append(2, largest.data(), 3), DiagnosticLogWriter::Status::Ok);
    }
    const auto [records, problem] = ReadAll(Bytes());
    EXPECT_EQ(problem, "");
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].payload, largest);

    std::vector<std::uint8_t> longer(kLogMaxPayload + 1, 0x5A);
    std::vector<std::uint8_t> file = EncodeLogHeader();
    const std::vector<std::uint8_t> record = EncodeLogRecord(3, longer.data(), longer.size());
    EXPECT_EQ(record.size(), kLogRecordHeaderSize + kLogMaxPayload);
    file.insert(file.end(), record.begin(), record.end());
    const auto [cut, cutProblem] = ReadAll(std::string(file.begin(), file.end()));
    EXPECT_EQ(cutProblem, "");
    ASSERT_EQ(cut.size(), 1u);
    EXPECT_EQ(cut[0].payload, std::vector<std::uint8_t>(kLogMaxPayload, 0x5A));
}

TEST_F(LogFileTest, EveryTimeAFileCanHoldIsWrittenOut)
{
    const struct {
        const std::string& bytes;
        const char* start;
        const char* end;
    } cases[] = {
        {kEarliestTimeLog, "-9223372036854775808,", ".192Z,0,,,,,,"},
        {kLatestTimeLog, "9223372036854775807,", ".807Z,0,,,,,,"},
    };
    for (const auto& c : cases) {
        const auto [records, problem] = ReadAll(c.bytes);
        ASSERT_EQ(records.size(), 1u) << problem;
        const std::string line = LogCsvLine(records[0]);
        EXPECT_EQ(line.rfind(c.start, 0), 0u) << line;
        EXPECT_NE(line.find(c.end), std::string::npos) << line;
    }
}

TEST_F(LogFileTest, DamageKeepsTheRecordsBeforeIt)
{
    const std::vector<std::uint8_t> payload{1, 2, 3, 4};
    std::string whole;
    for (auto part : {EncodeLogHeader(), EncodeLogRecord(10, payload.data(), 4), EncodeLogRecord(20, payload.data(), 4)}) {
        whole.append(part.begin(), part.end());
    }
    std::string badLength = whole;
    badLength[whole.size() - 6] = 0x01;  // second record's length: 0x0104
    const struct {
        std::string bytes;
        std::size_t records;
        const char* problem;
    } cases[] = {
        {whole, 2, ""},
        {whole.substr(0, whole.size() - 1), 1, "record 2 is cut short (the file ends inside its payload)"},
        {whole.substr(0, whole.size() - 10), 1, "record 2 is cut short (the file ends inside its header)"},
        {badLength, 1, "record 2 is damaged (payload length 260 is over 251)"},
        {whole.substr(0, 9), 0, "not a diagnostic log (file header missing or wrong)"},
        {"", 0, "not a diagnostic log (file header missing or wrong)"},
        {"PK\x03\x04 not ours at all", 0, "not a diagnostic log (file header missing or wrong)"},
        {std::string("QVDLOG\r\n\x00\x02", 10), 0, "log format version 2 is not known (expected 1)"},
    };
    for (const auto& c : cases) {
        const auto [records, problem] = ReadAll(c.bytes);
        EXPECT_EQ(records.size(), c.records) << c.problem;
        EXPECT_EQ(problem, c.problem);
    }
}

TEST_F(LogFileTest, AnotherFileIsNeverWrittenInto)
{
    const std::string foreign = "a spreadsheet the user cares about";
    WriteBytes(foreign);
    DiagnosticLogWriter writer;
    EXPECT_EQ(writer.Open(path_), DiagnosticLogWriter::Status::NotALog);
    EXPECT_FALSE(writer.IsOpen());
    EXPECT_EQ(Bytes(), foreign);

    // A log cut short is not appended to either: new records would be lost behind the damage.
    auto header = EncodeLogHeader();
    WriteBytes(std::string(header.begin(), header.end()) + std::string("\x00\x00", 2));
    EXPECT_EQ(writer.Open(path_), DiagnosticLogWriter::Status::NotALog);

    EXPECT_EQ(writer.Open((dir_ / "missing" / "log.bin").string()), DiagnosticLogWriter::Status::CannotOpen);
    EXPECT_FALSE(writer.SystemError().empty());
    EXPECT_EQ(writer.Append(1, header.data(), 1), DiagnosticLogWriter::Status::WriteFailed);
}

TEST_F(LogFileTest, ANameWithAccentsIsThatFile)
{
    // The path arrives as UTF-8, as the window passes it on every system.
    const std::filesystem::path path = dir_ / u8"registro_instalação.bin";
    const std::u8string utf8 = path.u8string();
    const auto page = StatusPayload(1, 29);
    for (int session = 0; session < 2; ++session) {
        DiagnosticLogWriter writer;
        ASSERT_EQ(writer.Open(std::string(utf8.begin(), utf8.end())), DiagnosticLogWriter::Status::Ok)
            << writer.SystemError();
        ASSERT_EQ(writer.Append(session, page.data(), page.size()), DiagnosticLogWriter::Status::Ok);
    }
    std::ifstream in(path, std::ios::binary);
    const auto [records, problem] = ReadAll({std::istreambuf_iterator<char>(in), {}});
    EXPECT_EQ(problem, "");
    EXPECT_EQ(records.size(), 2u);
}

// POSIX only: a file size limit and /dev/full make a write fail part-way.
#ifndef _WIN32
TEST_F(LogFileTest, AFailedWriteKeepsEveryWholeRecord)
{
    const auto page = StatusPayload(1, 29);
    DiagnosticLogWriter writer;
    ASSERT_EQ(writer.Open(path_), DiagnosticLogWriter::Status::Ok);
    DiagnosticLogWriter::Status status = DiagnosticLogWriter::Status::Ok;
    int written = 0;
    {
        // Room for the header, two records and part of a third.
        FileSizeLimit limit(kLogHeaderSize + 2 * (kLogRecordHeaderSize + 29) + 20);
        for (; written < 5 && status == DiagnosticLogWriter::Status::Ok; ++written) {
            status = writer.Append(written, page.data(), page.size());
        }
    }
    EXPECT_EQ(status, DiagnosticLogWriter::Status::WriteFailed);
    EXPECT_EQ(written, 3);
    EXPECT_FALSE(writer.IsOpen());
    EXPECT_FALSE(writer.SystemError().empty());
    const auto [records, problem] = ReadAll(Bytes());
    EXPECT_EQ(problem, "");
    EXPECT_EQ(records.size(), 2u);
}

TEST_F(LogFileTest, AFullDeviceFailsWithoutPretendingToLog)
{
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    DiagnosticLogWriter writer;
    EXPECT_EQ(writer.Open("/dev/full"), DiagnosticLogWriter::Status::CannotOpen);
    EXPECT_FALSE(writer.IsOpen());
    EXPECT_FALSE(writer.SystemError().empty());
}
#endif

}  // namespace
