#pragma once
// The tool's version, as the main window's title, --version, snapshots and
// reports say it: the project's version, given by the build.

inline constexpr const char kToolVersion[] = QUORVEL_VERSION;
