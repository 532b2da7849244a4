// quorvel-log: prints a diagnostic log as CSV, one line per record.
//
//   quorvel-log FILE
//
// The first line names the columns. A damaged or truncated file prints the
// records before the damage, then says what is wrong on standard error and
// exits with status 2. Status 1 is a usage or open error.

#include <cstdio>
#include <fstream>
#include <string>

#include "core/diagnostics/diagnostic_log.h"

int main(int argc, char** argv)
{
    if (argc != 2 || std::string(argv[1]) == "--help") {
        std::fprintf(stderr, "usage: quorvel-log FILE\n");
        return 1;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "quorvel-log: cannot open %s\n", argv[1]);
        return 1;
    }
    DiagnosticLogReader reader(in);
    if (!reader.Problem().empty()) {
        std::fprintf(stderr, "quorvel-log: %s: %s\n", argv[1], reader.Problem().c_str());
        return 2;
    }
    std::printf("%s\n", LogCsvHeader().c_str());
    std::size_t count = 0;
    while (const auto record = reader.Next()) {
        std::printf("%s\n", LogCsvLine(*record).c_str());
        ++count;
    }
    if (!reader.Problem().empty()) {
        std::fflush(stdout);  // the records first, then what stopped them
        std::fprintf(stderr, "quorvel-log: %s: %s; the %zu record(s) before it are printed above\n", argv[1],
                     reader.Problem().c_str(), count);
        return 2;
    }
    return 0;
}
