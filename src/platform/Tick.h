// The millisecond tick: a monotonic clock in milliseconds, as an unsigned
// 32-bit count that wraps after 49.7 days. Callers subtract ticks in unsigned
// arithmetic, so the wrap is harmless.
#pragma once

#include <cstdint>

namespace platform {

std::uint32_t GetTickCount32();

}  // namespace platform
