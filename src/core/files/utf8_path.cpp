#include "core/files/utf8_path.h"

#include <cstring>

std::filesystem::path PathFromUtf8(const std::string& utf8Path)
{
    return std::filesystem::path(std::u8string(utf8Path.begin(), utf8Path.end()));
}

std::FILE* OpenUtf8File(const std::string& utf8Path, const char* mode)
{
#ifdef _WIN32
    const std::wstring wideMode(mode, mode + std::strlen(mode));
    return _wfopen(PathFromUtf8(utf8Path).c_str(), wideMode.c_str());
#else
    return std::fopen(utf8Path.c_str(), mode);
#endif
}
