#pragma once
// The catalogue's own small helpers, shared by its platform parts.

#include <string>

#include "ports/port_catalogue.h"

namespace ports_internal {

inline bool IsComNumber(int number) { return number >= kFirstComNumber && number <= kLastComNumber; }

inline std::string ComName(int number) { return "COM" + std::to_string(number); }

}  // namespace ports_internal
