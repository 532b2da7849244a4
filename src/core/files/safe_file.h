#pragma once
// The tool's files at the edge with the system. What it reads must be a
// regular file of a sane size: a FIFO would hang the reader, a device would
// feed it without end. What it writes is complete or absent: written to a
// temporary file beside the destination, every byte checked, synced, then
// renamed over the old one, so a full disk or a killed process leaves the
// old file as it was. A device, FIFO, socket or folder is never replaced.
// Files holding panel data are created private (0600), whatever the umask.
//
// Paths are UTF-8 on every system; errors are the system's words plus what
// the path is, ready to follow "cannot read FILE: ".

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

struct OpenedFile {
    FileHandle file;        // null on failure
    std::uint64_t size = 0;  // at opening
    std::string error;       // why it was refused, when file is null
};

// Opens a regular file for reading in binary mode. A FIFO, device, socket or
// folder is refused at once, never waited on; so is a file larger than
// maxBytes.
OpenedFile OpenRegularFileForReading(const std::string& path, std::uint64_t maxBytes);

struct FileContents {
    std::vector<std::uint8_t> bytes;
    std::string error;  // empty when read whole
    bool Ok() const { return error.empty(); }
};
// The whole of a regular file of at most maxBytes.
FileContents ReadRegularFile(const std::string& path, std::uint64_t maxBytes);

enum class AppendTarget {
    RegularFile,            // a log: only a regular file
    RegularFileOrTerminal,  // a trace may also go to a terminal
};
// Opens for reading and appending ("a+b"), creating the file private when
// absent. Anything but the target allows is refused at once.
OpenedFile OpenForAppending(const std::string& path, AppendTarget target);

// Empty when the destination can take a new file: absent in a folder that
// exists and can be written, or a regular file (a link to one counts as it).
// Checked before slow work, so a typo fails at once.
std::string CheckWriteDestination(const std::string& path);

enum class Privacy {
    PanelData,  // created 0600
    Plain,      // created as the umask allows
};
// Writes bytes to path, whole or not at all; an existing file keeps its
// mode. Empty on success, else why nothing changed.
std::string WriteFileAtomically(const std::string& path, std::string_view bytes,
                                Privacy privacy = Privacy::PanelData);

// Whether both paths name one existing file: the same name, a link to it,
// or a second (hard) name of it.
bool IsSameFile(const std::string& path, const std::string& other);

// Failing writes are reported as errors, not as a signal that ends the
// process (a file-size limit would otherwise kill it mid-write, leaving a
// temporary file). Called once by each program at start.
void ReportOversizedWritesAsErrors();
