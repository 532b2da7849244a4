// Converting a diagnostic log to CSV, as quorvel-log and "quorvel-cli log"
// do: a log of a day's polling (tens of megabytes) written to a temporary
// file, then read back and converted to a sink that drops the text. Prints
// the rate and the peak memory, which must stay flat whatever the size.
//   log_bench [MEGABYTES]   (default 100)

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/diagnostics/diagnostic_log.h"
#include "core/files/safe_file.h"

int main(int argc, char** argv)
{
    const double megabytes = argc > 1 ? std::atof(argv[1]) : 100;
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "quorvel_log_bench.bin";
    {
        // Page 1 status frames, four a second, as the window logs them.
        const std::uint8_t payload[29] = {1, 51, 0x12, 0x78, 0xA3, 0xF6, 0xED, 0x69, 0x2B, 0x3D, 0x80};
        std::FILE* file = std::fopen(path.c_str(), "wb");
        const std::vector<std::uint8_t> header = EncodeLogHeader();
        std::fwrite(header.data(), 1, header.size(), file);
        const auto records = static_cast<long>(megabytes * 1e6 / (kLogRecordHeaderSize + sizeof payload));
        for (long i = 0; i < records; ++i) {
            const std::vector<std::uint8_t> record = EncodeLogRecord(1796875506123 + i * 250, payload, sizeof payload);
            std::fwrite(record.data(), 1, record.size(), file);
        }
        std::fclose(file);
    }
    const double size = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
    const auto start = std::chrono::steady_clock::now();
    OpenedFile opened = OpenRegularFileForReading(path.string(), UINT64_MAX);
    std::setvbuf(opened.file.get(), nullptr, _IOFBF, 1 << 16);
    DiagnosticLogReader reader(opened.file.get());
    std::size_t characters = 0;
    const std::size_t count = WriteLogCsv(reader, [&](std::string_view text) { characters += text.size(); });
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%.1f MB log, %zu records, %.1f MB of CSV in %.2f s: %.0f MB/s; peak memory %ld KB\n", size, count,
                static_cast<double>(characters) / 1e6, seconds, size / seconds, usage.ru_maxrss);
    std::filesystem::remove(path);
    return reader.Problem().empty() ? 0 : 1;
}
