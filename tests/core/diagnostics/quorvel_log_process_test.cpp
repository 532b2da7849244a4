// quorvel-log run as a process on a log cut short.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/diagnostics/diagnostic_log.h"
#include "core/diagnostics/status_test_support.h"

namespace {

struct ReaderRun {
    std::string out;
    int status = -1;
};

ReaderRun RunReader(const std::string& arguments)
{
    ReaderRun run;
    const std::string command = std::string(QUORVEL_LOG_PATH) + " " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) run.out += buffer;
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST(QuorvelLog, PrintsRecordsUpToTheDamageThenSaysWhy)
{
    const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                      ("quorvel_log_process_test_" + std::to_string(getpid()) + ".bin");
    const auto page = StatusPayload(16, 12, 7, 0x01020304);
    std::string bytes;
    for (const auto& part : {EncodeLogHeader(), EncodeLogRecord(1000, page.data(), page.size()),
                             EncodeLogRecord(2000, page.data(), 3)}) {
        bytes.append(part.begin(), part.end());
    }
    std::ofstream(path, std::ios::binary) << bytes.substr(0, bytes.size() - 1);

    const ReaderRun run = RunReader(path.string());
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out,
              "received_ms,received_utc,length,page,model,version,serial,cpu_timestamp,payload_hex\n"
              "1000,1970-01-01T00:00:01.000Z,12,16,51,0x13,7,16909060,103313000000070102030400\n"
              "quorvel-log: " + path.string() +
                  ": record 2 is cut short (the file ends inside its payload); the 1 record(s) before it are "
                  "printed above\n");

    std::ofstream(path, std::ios::binary) << bytes;
    EXPECT_EQ(RunReader(path.string()).status, 0);
    EXPECT_EQ(RunReader((path.string() + ".missing")).status, 1);
    std::filesystem::remove(path);
}

}  // namespace
