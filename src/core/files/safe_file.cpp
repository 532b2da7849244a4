// What is alike on every system: reading a whole file through the checked
// opening. The systems' parts are safe_file_posix.cpp and
// safe_file_windows.cpp.

#include "core/files/safe_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "core/files/utf8_path.h"

FileContents ReadRegularFile(const std::string& path, std::uint64_t maxBytes)
{
    FileContents contents;
    OpenedFile opened = OpenRegularFileForReading(path, maxBytes);
    if (!opened.file) {
        contents.error = opened.error;
        return contents;
    }
    // The size at opening is a hint: a file that grows while read is still
    // bounded by maxBytes.
    contents.bytes.resize(static_cast<std::size_t>(opened.size));
    std::size_t at = 0;
    for (;;) {
        if (at == contents.bytes.size()) {
            if (at >= maxBytes) break;
            contents.bytes.resize(std::min<std::uint64_t>(maxBytes, at + 65536));
        }
        const std::size_t got = std::fread(contents.bytes.data() + at, 1, contents.bytes.size() - at, opened.file.get());
        at += got;
        if (got == 0) break;
    }
    if (std::ferror(opened.file.get())) {
        contents.error = std::strerror(errno);
        contents.bytes.clear();
        return contents;
    }
    if (at >= maxBytes && std::fgetc(opened.file.get()) != EOF) {
        contents.error = "it grew past the " + std::to_string(maxBytes) + " bytes such a file can hold";
        contents.bytes.clear();
        return contents;
    }
    contents.bytes.resize(at);
    return contents;
}

bool IsSameFile(const std::string& path, const std::string& other)
{
    std::error_code error;
    return std::filesystem::equivalent(PathFromUtf8(path), PathFromUtf8(other), error) && !error;
}
