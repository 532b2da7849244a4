// The catalogue on Linux and macOS: the port folder, the fixed mapping of
// device families to numbers, and the presence probe.
#include "ports/port_catalogue.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string_view>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/serial.h>
#include <sys/ioctl.h>
#endif

#include "ports/com_names.h"
#include "ports/port_path.h"

namespace fs = std::filesystem;
using ports_internal::ComName;
using ports_internal::IsComNumber;

namespace {

// Fixed mapping: 32 numbers per device family, so a device keeps its number
// however many of the others are plugged in.
constexpr int kFamilySize = 32;
constexpr int kFirstUsbNumber = kFirstComNumber + kFamilySize;   // COM33
constexpr int kFirstAcmNumber = kFirstUsbNumber + kFamilySize;   // COM65
constexpr int kLastFixedNumber = kFirstAcmNumber + kFamilySize - 1;  // COM96

// The number of a port folder entry: exactly "COM" followed by 1..255 in
// plain decimal. "COM007" is not COM7, so two entries can never claim one number.
std::optional<int> ParseEntryName(std::string_view name)
{
    constexpr std::string_view prefix = "COM";
    if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix) return std::nullopt;
    const std::string_view digits = name.substr(prefix.size());
    if (digits.size() > 3 || digits.front() == '0') return std::nullopt;
    int value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (!IsComNumber(value)) return std::nullopt;
    return value;
}

// A link's target as the device path; a relative target is relative to the
// folder that holds the link.
std::optional<std::string> LinkTarget(const fs::path& link)
{
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(link, ec))) return std::nullopt;
    fs::path target = fs::read_symlink(link, ec);
    if (ec || target.empty()) return std::nullopt;
    if (target.is_relative()) target = (link.parent_path() / target).lexically_normal();
    return target.string();
}

// An entry may lead only to a character device, or to nothing yet (an
// unplugged adapter keeps its number). Anything else (a file, a folder, a
// pipe) is never opened; the reason says what it is.
std::optional<std::string> FollowProblem(const std::string& target)
{
    struct stat info {};
    if (stat(target.c_str(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
        return std::string("não pode ser lido (") + std::strerror(errno) + ")";
    }
    const std::optional<NotAPort> why = WhyNotAPort(target, /*askTerminal=*/false);
    if (!why) return std::nullopt;
    return "leva a " + NotAPortText(*why) + " (" + target + "), não a um dispositivo";
}

// The device an entry pins its number to; an empty path pins it to nothing,
// with the reason when the entry leads somewhere no port can be.
std::optional<std::string> EntryDevice(const fs::path& link, std::string* problem = nullptr)
{
    std::optional<std::string> target = LinkTarget(link);
    if (!target) return target;
    if (std::optional<std::string> why = FollowProblem(*target)) {
        if (problem) *problem = std::move(*why);
        target->clear();
    }
    return target;
}

// The owner record beside an entry: "COM<n>.pid" holding a process id.
fs::path OwnerFile(const fs::path& folder, int number) { return folder / (ComName(number) + ".pid"); }

// False only when the entry has an owner record and that process is gone
// (or the record is unreadable); such an entry is removed.
bool OwnerAlive(const fs::path& folder, int number)
{
    const fs::path file = OwnerFile(folder, number);
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(file, ec))) return true;
    long pid = 0;
    if (FILE* f = std::fopen(file.c_str(), "r")) {
        if (std::fscanf(f, "%ld", &pid) != 1) pid = 0;
        std::fclose(f);
    }
    if (pid > 0 && (kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM)) return true;
    fs::remove(folder / ComName(number), ec);
    fs::remove(file, ec);
    return false;
}

// Every COM<n> entry of the folder, read once per scan; an entry that leads
// to something other than a character device maps to an empty path, and
// why goes to problems when given.
std::map<int, std::string> ReadPortFolder(const fs::path& folder, std::map<int, std::string>* problems = nullptr)
{
    std::map<int, std::string> entries;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) return entries;
    for (const fs::directory_iterator end; it != end; it.increment(ec)) {
        if (ec) break;
        const std::optional<int> number = ParseEntryName(it->path().filename().string());
        if (!number || !OwnerAlive(folder, *number)) continue;
        std::string problem;
        if (std::optional<std::string> target = EntryDevice(it->path(), &problem)) {
            if (!problem.empty() && problems) (*problems)[*number] = std::move(problem);
            entries.emplace(*number, std::move(*target));
        }
    }
    return entries;
}

// The call-out devices of the system, in name order; empty except on macOS,
// which has no ttyUSB/ttyACM names.
std::vector<std::string> ListCalloutDevices([[maybe_unused]] const fs::path& deviceRoot)
{
    std::vector<std::string> names;
#ifdef __APPLE__
    std::error_code ec;
    fs::directory_iterator it(deviceRoot, ec);
    if (ec) return names;
    for (const fs::directory_iterator end; it != end; it.increment(ec)) {
        if (ec) break;
        std::string name = it->path().filename().string();
        if (name.rfind("cu.", 0) == 0) names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
#endif
    return names;
}

std::optional<std::string> FixedDevicePath(int number, const fs::path& deviceRoot,
                                           [[maybe_unused]] const std::vector<std::string>& callouts)
{
    if (!IsComNumber(number)) return std::nullopt;
    if (number < kFirstUsbNumber) {
        return (deviceRoot / ("ttyS" + std::to_string(number - kFirstComNumber))).string();
    }
#ifdef __APPLE__
    const auto index = static_cast<std::size_t>(number - kFirstUsbNumber);
    if (index < callouts.size()) return (deviceRoot / callouts[index]).string();
    return std::nullopt;
#else
    if (number < kFirstAcmNumber) {
        return (deviceRoot / ("ttyUSB" + std::to_string(number - kFirstUsbNumber))).string();
    }
    if (number <= kLastFixedNumber) {
        return (deviceRoot / ("ttyACM" + std::to_string(number - kFirstAcmNumber))).string();
    }
    return std::nullopt;
#endif
}

#ifdef __linux__
// The kernel creates ttyS nodes whether or not a UART is fitted; such a node
// opens but reports an unknown port type.
bool IsEmptyUartSlot(int fd, const std::string& devicePath)
{
    const std::string name = fs::path(devicePath).filename().string();
    if (name.size() <= 4 || name.compare(0, 4, "ttyS") != 0) return false;
    serial_struct info{};
    if (ioctl(fd, TIOCGSERIAL, &info) != 0) return false;
    return info.type == PORT_UNKNOWN;
}
#endif

// Creates each missing directory of the path private to the user: the port
// folder decides which device a number reaches, so others must not write there.
bool MakePrivateFolder(const fs::path& folder)
{
    std::error_code ec;
    if (fs::is_directory(folder, ec)) return true;
    if (folder.has_parent_path() && folder.parent_path() != folder) {
        if (!MakePrivateFolder(folder.parent_path())) return false;
    }
    if (mkdir(folder.c_str(), 0700) == 0) return true;
    return errno == EEXIST && fs::is_directory(folder, ec);
}

}  // namespace

bool IsDevicePresent(const std::string& devicePath)
{
    int fd;
    do {
        fd = open(devicePath.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return errno == EBUSY || errno == EACCES || errno == EPERM;
    bool present = true;
#ifdef __linux__
    present = !IsEmptyUartSlot(fd, devicePath);
#endif
    close(fd);
    return present;
}

std::optional<std::string> PortFolderProblem(const fs::path& portFolder)
{
    if (portFolder.empty()) return std::nullopt;
    fs::path folder = portFolder.lexically_normal();
    if (!folder.has_filename()) folder = folder.parent_path();  // a trailing slash
    // The holding folder first: whoever may write there can replace the folder.
    const fs::path checked[] = {folder.parent_path(), folder};
    for (const fs::path& each : checked) {
        if (each.empty()) continue;
        struct stat info {};
        if (lstat(each.c_str(), &info) != 0) {
            if (errno == ENOENT) return std::nullopt;
            return "a pasta " + each.string() + " não pode ser examinada (" + std::strerror(errno) + ")";
        }
        if (!S_ISDIR(info.st_mode)) return each.string() + " não é uma pasta";
        if (info.st_uid != geteuid()) return "a pasta " + each.string() + " pertence a outro usuário";
        if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
            return "outros usuários podem escrever na pasta " + each.string();
        }
    }
    return std::nullopt;
}

fs::path DefaultPortFolder()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] != '\0') return fs::path(runtime) / "quorvel" / "ports";
    return fs::path("/tmp") / ("quorvel-" + std::to_string(getuid())) / "ports";
}

bool RegisterPort(const fs::path& portFolder, int number, const std::string& devicePath, int ownerPid)
{
    if (!IsComNumber(number) || devicePath.empty() || portFolder.empty()) return false;
    if (!MakePrivateFolder(portFolder) || PortFolderProblem(portFolder)) return false;
    // The owner record goes first, so no scan sees the entry without it.
    std::error_code removed;
    fs::remove(OwnerFile(portFolder, number), removed);
    if (ownerPid > 0) {
        FILE* f = std::fopen(OwnerFile(portFolder, number).c_str(), "w");
        if (f == nullptr) return false;
        const bool written = std::fprintf(f, "%d\n", ownerPid) > 0;
        if (std::fclose(f) != 0 || !written) return false;
    }

    // A new link renamed over the old one: a scan sees the old device or the
    // new one, never no entry (which would let the fixed mapping show through).
    const fs::path entry = portFolder / ComName(number);
    // Appended rather than "." + string: GCC 12 at -O2 warns falsely on that.
    std::string temporaryName = ".";
    temporaryName += ComName(number) + "." + std::to_string(getpid()) + ".tmp";
    const fs::path temporary = portFolder / temporaryName;
    std::error_code ec;
    fs::remove(temporary, ec);
    fs::create_symlink(devicePath, temporary, ec);
    if (ec) return false;
    fs::rename(temporary, entry, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return false;
    }
    return true;
}

void UnregisterPort(const fs::path& portFolder, int number)
{
    if (!IsComNumber(number) || portFolder.empty()) return;
    std::error_code ec;
    fs::remove(portFolder / ComName(number), ec);
    fs::remove(OwnerFile(portFolder, number), ec);
}

std::vector<int> RegisteredPortNumbers(const fs::path& portFolder)
{
    std::vector<int> numbers;
    if (PortFolderProblem(portFolder)) return numbers;
    for (const auto& entry : ReadPortFolder(portFolder)) numbers.push_back(entry.first);
    return numbers;
}

SystemPortCatalogue::SystemPortCatalogue() : SystemPortCatalogue(Options{DefaultPortFolder(), "/dev"}) {}

SystemPortCatalogue::SystemPortCatalogue(Options options) : options_(std::move(options)) {}

std::optional<std::string> SystemPortCatalogue::DevicePath(int number) const
{
    if (!IsComNumber(number)) return std::nullopt;
    if (const auto pin = memoryPins_.find(number); pin != memoryPins_.end()) return pin->second;
    if (NetworkPort(number)) return std::nullopt;
    // An entry pins its number even when its device is gone.
    if (FolderTrusted()) {
        std::string problem;
        if (std::optional<std::string> target = EntryDevice(options_.portFolder / ComName(number), &problem)) {
            if (!problem.empty()) ReportIgnoredEntry(number, problem);
            if (target->empty()) return std::nullopt;
            return target;
        }
    }
    return FixedDevicePath(number, options_.deviceRoot, ListCalloutDevices(options_.deviceRoot));
}

std::vector<PortEntry> SystemPortCatalogue::Scan() const
{
    std::map<int, std::string> pinned;
    std::map<int, std::string> problems;
    if (FolderTrusted()) pinned = ReadPortFolder(options_.portFolder, &problems);
    for (const auto& [number, problem] : problems) ReportIgnoredEntry(number, problem);
    // An entry mended or removed since is no longer reported.
    for (auto it = ignoredEntries_.begin(); it != ignoredEntries_.end();) {
        it = problems.count(it->first) ? std::next(it) : ignoredEntries_.erase(it);
    }
    for (const auto& [number, path] : memoryPins_) pinned[number] = path;
    const std::vector<std::string> callouts = ListCalloutDevices(options_.deviceRoot);
    std::vector<PortEntry> ports;
    for (int number = kFirstComNumber; number <= kLastComNumber; ++number) {
        std::optional<std::string> path;
        if (const auto it = pinned.find(number); it != pinned.end()) {
            path = it->second;
        } else {
            path = FixedDevicePath(number, options_.deviceRoot, callouts);
        }
        if (NetworkPort(number)) continue;  // not probed: its number is the address's
        if (path && !path->empty() && IsDevicePresent(*path)) ports.push_back({number, std::move(*path)});
    }
    AddNetworkPorts(ports);
    return ports;
}

bool SystemPortCatalogue::FolderTrusted() const
{
    std::optional<std::string> problem = PortFolderProblem(options_.portFolder);
    if (!problem) {
        ignoredReason_.clear();
        return true;
    }
    std::string reason = "Pasta de portas ignorada: " + *problem + ".";
    if (reason != ignoredReason_) {
        Say(reason);
        ignoredReason_ = std::move(reason);
    }
    return false;
}
