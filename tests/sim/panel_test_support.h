#pragma once
// Small helpers shared by the software panel's tests.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "sim/panel_frame.h"

namespace panel_test {

using Bytes = std::vector<uint8_t>;

// Cuts a panel's output into frames with a receiver of the tool's kind.
// Bytes outside frames (noise) are skipped.
inline std::vector<sim::DecodedFrame> Frames(const Bytes& bytes)
{
    std::vector<sim::DecodedFrame> frames;
    sim::FrameReceiver receiver;
    for (const uint8_t byte : bytes) {
        if (receiver.Push(byte)) {
            frames.push_back(*sim::DecodeFrame(receiver.Frame(), receiver.FrameLength()));
        }
    }
    return frames;
}

inline Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

#ifndef _WIN32
// A private directory removed with its contents at the end of the scope
// (the pseudo-terminal tests', which are POSIX only).
class TemporaryFolder {
public:
    TemporaryFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "quorvel-sim-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) {
            path_ = pattern;
        }
    }
    ~TemporaryFolder()
    {
        std::error_code ignored;
        if (!path_.empty()) {
            std::filesystem::remove_all(path_, ignored);
        }
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};
#endif

}  // namespace panel_test
