// Windows: the same rules through the file system library and the wide
// file calls. A named pipe or a device is not a regular file there either.

#include "core/files/safe_file.h"

#include <windows.h>
#include <io.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

#include "core/files/utf8_path.h"

namespace {

namespace fs = std::filesystem;

std::string NotRegular(fs::file_type type)
{
    return type == fs::file_type::directory ? "it is a folder, not a regular file" : "it is not a regular file";
}

std::wstring Wide(const char* text) { return std::wstring(text, text + std::strlen(text)); }

}  // namespace

OpenedFile OpenRegularFileForReading(const std::string& path, std::uint64_t maxBytes)
{
    OpenedFile opened;
    std::error_code error;
    const fs::path name = PathFromUtf8(path);
    const fs::file_status status = fs::status(name, error);
    if (error) {
        opened.error = error.message();
        return opened;
    }
    if (status.type() != fs::file_type::regular) {
        opened.error = NotRegular(status.type());
        return opened;
    }
    const std::uintmax_t size = fs::file_size(name, error);
    if (!error && size > maxBytes) {
        opened.error = "it is " + std::to_string(size) + " bytes long, more than the " + std::to_string(maxBytes) +
                       " such a file can hold";
        return opened;
    }
    opened.file.reset(_wfopen(name.c_str(), L"rb"));
    if (!opened.file) opened.error = std::strerror(errno);
    opened.size = error ? 0 : size;
    return opened;
}

OpenedFile OpenForAppending(const std::string& path, AppendTarget)
{
    OpenedFile opened;
    std::error_code error;
    const fs::path name = PathFromUtf8(path);
    const fs::file_status status = fs::status(name, error);
    if (fs::exists(status) && status.type() != fs::file_type::regular) {
        opened.error = NotRegular(status.type());
        return opened;
    }
    opened.file.reset(_wfopen(name.c_str(), L"a+b"));
    if (!opened.file) {
        opened.error = std::strerror(errno);
        return opened;
    }
    // What the file held before: a log checks it before appending.
    const std::uintmax_t size = fs::file_size(name, error);
    opened.size = error ? 0 : size;
    return opened;
}

std::string CheckWriteDestination(const std::string& path)
{
    if (path.empty()) return "no file name given";
    std::error_code error;
    const fs::path name = PathFromUtf8(path);
    const fs::file_status status = fs::status(name, error);
    if (fs::exists(status) && status.type() != fs::file_type::regular) return NotRegular(status.type());
    const fs::path folder = name.has_parent_path() ? name.parent_path() : fs::path(L".");
    if (!fs::is_directory(folder, error)) return "the folder " + folder.string() + " does not exist";
    return {};
}

std::string WriteFileAtomically(const std::string& path, std::string_view bytes, Privacy)
{
    if (std::string problem = CheckWriteDestination(path); !problem.empty()) return problem;
    const fs::path name = PathFromUtf8(path);
    std::random_device random;
    const fs::path temporary = fs::path(name).concat(Wide(".tmp") + std::to_wstring(random()));
    std::FILE* file = _wfopen(temporary.c_str(), L"wbx");
    if (file == nullptr) return std::strerror(errno);
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && std::fflush(file) == 0 &&
                         _commit(_fileno(file)) == 0;
    const int code = errno;
    if (std::fclose(file) != 0 || !written) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return std::strerror(written ? errno : code);
    }
    if (!MoveFileExW(temporary.c_str(), name.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return "the file could not be put in place (system error " + std::to_string(GetLastError()) + ")";
    }
    return {};
}

void ReportOversizedWritesAsErrors() {}
