// The diagnostic log reader, with the input as the whole file: every record
// it yields is turned into its CSV line, as the log converter does.
#include <cstddef>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>

#include "core/diagnostics/diagnostic_log.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::istringstream stream(std::string(reinterpret_cast<const char*>(data), size));
    DiagnosticLogReader reader(stream);
    // The converters read a C file, ahead in pieces: it must yield the same.
    std::FILE* file = size > 0 ? fmemopen(const_cast<std::uint8_t*>(data), size, "rb") : nullptr;
    std::optional<DiagnosticLogReader> fileReader;
    if (file != nullptr) fileReader.emplace(file);
    std::size_t records = 0;
    while (const std::optional<LogRecord> record = reader.Next()) {
        if (record->payload.size() > kLogMaxPayload) std::abort();
        if (fileReader && fileReader->Next() != record) std::abort();
        LogCsvLine(*record);
        // Each record takes at least its own header from the file.
        if (++records * kLogRecordHeaderSize > size) std::abort();
    }
    if (fileReader && (fileReader->Next() || fileReader->Problem() != reader.Problem())) std::abort();
    if (file != nullptr) std::fclose(file);
    return 0;
}
