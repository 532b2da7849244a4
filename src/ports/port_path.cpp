#include "ports/port_path.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

std::optional<NotAPort> WhyNotAPort(const std::string& path, bool askTerminal)
{
#ifdef _WIN32
    // The system's ports are listed by the probe; no path is looked at.
    (void)path;
    (void)askTerminal;
    return std::nullopt;
#else
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return std::nullopt;
    if (S_ISREG(info.st_mode)) return NotAPort::RegularFile;
    if (S_ISDIR(info.st_mode)) return NotAPort::Folder;
    if (S_ISFIFO(info.st_mode)) return NotAPort::Fifo;
    if (S_ISSOCK(info.st_mode)) return NotAPort::Socket;
    if (S_ISBLK(info.st_mode)) return NotAPort::BlockDevice;
    if (!S_ISCHR(info.st_mode)) return NotAPort::NotADevice;
    if (!askTerminal) return std::nullopt;
    const int fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    const bool terminal = ::isatty(fd) == 1;
    ::close(fd);
    return terminal ? std::nullopt : std::optional<NotAPort>(NotAPort::NotATerminal);
#endif
}

std::string NotAPortText(NotAPort why)
{
    switch (why) {
    case NotAPort::RegularFile: return "um arquivo comum";
    case NotAPort::Folder: return "uma pasta";
    case NotAPort::Fifo: return "um FIFO";
    case NotAPort::Socket: return "um socket";
    case NotAPort::BlockDevice: return "um dispositivo de bloco";
    case NotAPort::NotATerminal: return "um dispositivo que não é um terminal";
    case NotAPort::NotADevice: break;
    }
    return "algo que não é um dispositivo";
}
