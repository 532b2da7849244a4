#pragma once
// What a path named as a port is, when it cannot be a serial port: one
// answer for the port folder's entries, the window and the command-line
// tool, each of which puts it into its own words.

#include <optional>
#include <string>

enum class NotAPort {
    RegularFile,
    Folder,
    Fifo,
    Socket,
    BlockDevice,
    NotADevice,    // anything else that is no character device
    NotATerminal,  // a character device that takes no line settings (/dev/null)
};

// Nothing when the path may be a serial port, or cannot be looked at (it
// does not exist, or may not be read): opening it then says why. A link is
// followed. askTerminal opens a character device to ask whether it is a
// terminal; without it any character device may be a port.
std::optional<NotAPort> WhyNotAPort(const std::string& path, bool askTerminal);

// "um arquivo comum": the words the port folder's reasons use.
std::string NotAPortText(NotAPort why);
