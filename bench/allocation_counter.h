#pragma once
// Counts calls of the global operator new in this program. The replacement
// lives in its own source file so the compiler never inlines it into callers.

#include <cstdint>

std::uint64_t AllocationCount();
