#pragma once
// File names cross the core as UTF-8 text, whatever the system: the narrow
// file calls of Windows read a name in the local code page instead, so an
// accented folder would be a different (or no) file there.

#include <cstdio>
#include <filesystem>
#include <string>

std::filesystem::path PathFromUtf8(const std::string& utf8Path);

// std::fopen for a UTF-8 name.
std::FILE* OpenUtf8File(const std::string& utf8Path, const char* mode);
