#pragma once
// Which COM numbers exist, and the only place that knows device paths.
//
// On Windows the numbers are the system's own (\\.\COM1 .. \\.\COM255).
// Elsewhere a number maps to a device: first through the per-user port
// folder, where an entry COM<n> (a symbolic link) pins COM n to a character
// device (a USB adapter by id, a pseudo-terminal of the software panel);
// otherwise through a fixed mapping so a device keeps its number between
// starts. The folder decides what the tool opens read-write, so it is used
// only while it and the folder holding it belong to the user and no one
// else can write to them; an entry is followed only to a character device.
// A COM number may also name a serial line across the network (an address
// the installer gave that number, as virtual-COM drivers do): such a port is
// listed whatever answers there, and opens through the network link.
// Standard C++ and the operating system only: no Qt.

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ports/network_address.h"

inline constexpr int kFirstComNumber = 1;
inline constexpr int kLastComNumber = 255;

struct PortEntry {
    int number = 0;
    std::string devicePath;  // for a network port, its address ("rfc2217://host:port")
    bool network = false;
    bool operator==(const PortEntry&) const = default;
};

class PortCatalogue {
public:
    virtual ~PortCatalogue() = default;
    // The ports present now, in increasing COM number.
    virtual std::vector<PortEntry> Scan() const = 0;
    // The device behind a COM number, whether or not it is present now;
    // none for a network port.
    virtual std::optional<std::string> DevicePath(int number) const = 0;
    // The network address behind a COM number, when it names one.
    virtual std::optional<NetworkAddress> NetworkPort(int) const { return std::nullopt; }
    // Why the port folder, or some of its entries, are being ignored, for
    // the port menu; empty when all is in use (or there is none).
    virtual std::string IgnoredFolderReason() const { return {}; }
};

class SystemPortCatalogue final : public PortCatalogue {
public:
    struct Options {
        std::filesystem::path portFolder;       // the per-user port folder
        std::filesystem::path deviceRoot = "/dev";  // where the fixed mapping looks
    };

    SystemPortCatalogue();  // the user's port folder and /dev
    explicit SystemPortCatalogue(Options options);

    std::vector<PortEntry> Scan() const override;
    std::optional<std::string> DevicePath(int number) const override;
    std::optional<NetworkAddress> NetworkPort(int number) const override;
    // The network ports, each address under its COM number (the window's
    // settings): they take their numbers ahead of any device, and replace
    // those set before. A number out of 1..255 is left out.
    void SetNetworkPorts(std::map<int, NetworkAddress> ports);
    const std::map<int, NetworkAddress>& NetworkPorts() const { return networkPorts_; }
    // Set by the last scan or look-up; each reason is also written once to
    // standard error.
    std::string IgnoredFolderReason() const override;
    // Why the entry of this COM number was ignored by the last scan or
    // look-up (it leads to a file, a folder, a FIFO...).
    std::optional<std::string> IgnoredEntryReason(int number) const;
    // Where each reason is said once: standard error ("quorvel: ...")
    // unless set. A new sink hears every reason again.
    using ReasonSink = std::function<void(const std::string& reason)>;
    void SetReasonSink(ReasonSink sink);

    // Pins a number to a device for this process alone, ahead of the port
    // folder: a port that lives and dies with the process (the demo panel)
    // leaves nothing behind on disk, whatever way the process ends.
    void PinInMemory(int number, std::string devicePath);
    const std::filesystem::path& PortFolder() const { return options_.portFolder; }
    void Unpin(int number);

private:
    // Whether the port folder may be read now; records and reports why not.
    bool FolderTrusted() const;
    void ReportIgnoredEntry(int number, const std::string& problem) const;
    void Say(const std::string& reason) const;
    // The network ports in place of the devices of their numbers, in order.
    void AddNetworkPorts(std::vector<PortEntry>& ports) const;

    Options options_;
    std::map<int, std::string> memoryPins_;
    std::map<int, NetworkAddress> networkPorts_;
    mutable std::string ignoredReason_;
    mutable std::map<int, std::string> ignoredEntries_;  // by COM number
    ReasonSink sink_;
};

// $XDG_RUNTIME_DIR/quorvel/ports, or /tmp/quorvel-<uid>/ports when unset.
std::filesystem::path DefaultPortFolder();

// Why a port folder must not be trusted, or nothing when it may: the folder
// and the folder holding it, where they exist, must be real folders (not
// links), owned by the user and writable by no one else. A folder that does
// not exist yet is no problem: it holds nothing.
std::optional<std::string> PortFolderProblem(const std::filesystem::path& portFolder);

// The lowest COM number (1..255) not in taken; 0 when every number is taken.
int LowestFreeComNumber(const std::vector<int>& taken);

// Registration in a port folder (used by the software panel's hosts).
// RegisterPort creates the folder as needed and replaces an existing entry;
// it refuses a folder PortFolderProblem objects to.
// With an owner process id the entry lasts only as long as that process: a
// scan removes the entry of an owner that is gone, so a later device that
// takes the same path is never mistaken for it.
bool RegisterPort(const std::filesystem::path& portFolder, int number, const std::string& devicePath,
                  int ownerPid = 0);
void UnregisterPort(const std::filesystem::path& portFolder, int number);
// The numbers that have an entry in a port folder, present or not: a pinned
// number belongs to its user even while the device is unplugged.
std::vector<int> RegisteredPortNumbers(const std::filesystem::path& portFolder);

// Whether a device counts as present: it opens (non-blocking, no controlling
// terminal), or it fails as busy or access-denied. A /dev/ttyS node without
// a UART behind it is absent.
// On Windows the probe opens the device for reading and writing, unshared,
// and reads the answer with ProbeFindsPort.
bool IsDevicePresent(const std::string& devicePath);

#ifdef _WIN32
// The probe's reading of the system's answer (0: it opened, else the error
// code): opened, access denied (5), general failure (31), sharing violation
// (32) and semaphore time-out (121) mean a port that exists, the last four a
// busy one; any other error means there is no such port.
bool ProbeFindsPort(unsigned long openError);
#endif
