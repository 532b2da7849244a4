// quorvel-log: prints a diagnostic log as CSV, one line per record.
//
//   quorvel-log FILE
//
// The first line names the columns. A damaged or truncated file prints the
// records before the damage, then says what is wrong on standard error and
// exits with status 2. Status 1 is a usage or open error.

#include <cstdio>
#include <string>

#include "core/diagnostics/diagnostic_log.h"
#include "core/files/safe_file.h"

int main(int argc, char** argv)
{
    if (argc != 2 || std::string(argv[1]) == "--help") {
        std::fprintf(stderr, "usage: quorvel-log FILE\n");
        return 1;
    }
    // A FIFO or a device would hang or never end: only a regular file.
    OpenedFile opened = OpenRegularFileForReading(argv[1], UINT64_MAX);
    if (!opened.file) {
        std::fprintf(stderr, "quorvel-log: cannot open %s: %s\n", argv[1], opened.error.c_str());
        return 1;
    }
    std::setvbuf(opened.file.get(), nullptr, _IOFBF, 1 << 16);
    DiagnosticLogReader reader(opened.file.get());
    if (!reader.Problem().empty()) {
        std::fprintf(stderr, "quorvel-log: %s: %s\n", argv[1], reader.Problem().c_str());
        return 2;
    }
    const std::size_t count = WriteLogCsv(reader, [](std::string_view text) { std::fwrite(text.data(), 1, text.size(), stdout); });
    if (!reader.Problem().empty()) {
        std::fflush(stdout);  // the records first, then what stopped them
        std::fprintf(stderr, "quorvel-log: %s: %s; the %zu record(s) before it are printed above\n", argv[1],
                     reader.Problem().c_str(), count);
        return 2;
    }
    return 0;
}
