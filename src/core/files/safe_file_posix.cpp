#include "core/files/safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

namespace {

std::string SystemError(int code) { return std::strerror(code); }

// "a FIFO", "a device", ...: what a path is when it is not a regular file.
std::string KindOf(mode_t mode)
{
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

std::string NotRegular(mode_t mode) { return "it is " + KindOf(mode) + ", not a regular file"; }

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// Opened without blocking (a FIFO with no writer would wait forever), then
// checked on the descriptor itself, so a swap after the check cannot fool it.
OpenedFile OpenChecked(const std::string& path, int flags, mode_t createMode, bool allowTerminal,
                       std::uint64_t maxBytes, const char* streamMode)
{
    OpenedFile opened;
    const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, createMode);
    if (fd < 0) {
        opened.error = errno == ENXIO ? "it is a FIFO or a device, not a regular file" : SystemError(errno);
        return opened;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        opened.error = SystemError(errno);
        ::close(fd);
        return opened;
    }
    const bool terminal = allowTerminal && S_ISCHR(info.st_mode) && ::isatty(fd);
    if (!S_ISREG(info.st_mode) && !terminal) {
        opened.error = NotRegular(info.st_mode);
        ::close(fd);
        return opened;
    }
    if (S_ISREG(info.st_mode) && static_cast<std::uint64_t>(info.st_size) > maxBytes) {
        opened.error = "it is " + std::to_string(info.st_size) + " bytes long, more than the " +
                       std::to_string(maxBytes) + " such a file can hold";
        ::close(fd);
        return opened;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE* file = ::fdopen(fd, streamMode);
    if (file == nullptr) {
        opened.error = SystemError(errno);
        ::close(fd);
        return opened;
    }
    opened.file.reset(file);
    opened.size = S_ISREG(info.st_mode) ? static_cast<std::uint64_t>(info.st_size) : 0;
    return opened;
}

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            if (written == 0) errno = EIO;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

void SyncFolder(const std::string& folder)
{
    // The rename is durable only once the folder is: best effort, as some
    // file systems refuse to sync a folder.
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

OpenedFile OpenRegularFileForReading(const std::string& path, std::uint64_t maxBytes)
{
    return OpenChecked(path, O_RDONLY, 0, /*allowTerminal=*/false, maxBytes, "rb");
}

OpenedFile OpenForAppending(const std::string& path, AppendTarget target)
{
    const bool terminal = target == AppendTarget::RegularFileOrTerminal;
    // A terminal cannot be read back; a log is read to check its records.
    const int access = terminal ? O_WRONLY : O_RDWR;
    return OpenChecked(path, access | O_APPEND | O_CREAT, S_IRUSR | S_IWUSR, terminal, UINT64_MAX,
                       terminal ? "ab" : "a+b");
}

std::string CheckWriteDestination(const std::string& path)
{
    if (path.empty()) return "no file name given";
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        if (!S_ISREG(info.st_mode)) return NotRegular(info.st_mode);
    } else if (errno != ENOENT) {
        return SystemError(errno);
    } else {
        struct stat link {};
        if (::lstat(path.c_str(), &link) == 0) return "it is a link to nothing";
    }
    const std::string folder = FolderOf(path);
    struct stat folderInfo {};
    if (::stat(folder.c_str(), &folderInfo) != 0) return "the folder " + folder + " does not exist";
    if (!S_ISDIR(folderInfo.st_mode)) return folder + " is not a folder";
    if (::access(folder.c_str(), W_OK | X_OK) != 0) return "the folder " + folder + " cannot be written (" + SystemError(errno) + ")";
    return {};
}

std::string WriteFileAtomically(const std::string& path, std::string_view bytes, Privacy privacy)
{
    if (std::string problem = CheckWriteDestination(path); !problem.empty()) return problem;
    // A link is followed: the file it names is replaced, the link stays.
    std::string target = path;
    if (char* resolved = ::realpath(path.c_str(), nullptr)) {
        target = resolved;
        std::free(resolved);
    }
    struct stat existing {};
    const bool replacing = ::stat(target.c_str(), &existing) == 0;

    const std::string folder = FolderOf(target);
    std::string temporary = target + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());  // created 0600
    if (fd < 0) return SystemError(errno);
    const auto fail = [&](int code) {
        ::close(fd);
        ::unlink(temporary.c_str());
        return SystemError(code);
    };
    mode_t mode = S_IRUSR | S_IWUSR;
    if (replacing) {
        mode = existing.st_mode & 07777;
    } else if (privacy == Privacy::Plain) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(fd, mode) != 0) return fail(errno);
    if (!WriteAll(fd, bytes)) return fail(errno);
    if (::fsync(fd) != 0) return fail(errno);
    if (::close(fd) != 0) {
        const int code = errno;
        ::unlink(temporary.c_str());
        return SystemError(code);
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        const int code = errno;
        ::unlink(temporary.c_str());
        return SystemError(code);
    }
    SyncFolder(folder);
    return {};
}

void ReportOversizedWritesAsErrors() { std::signal(SIGXFSZ, SIG_IGN); }
