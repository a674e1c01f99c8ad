// Whole writes on a file descriptor.
#pragma once

#include <cstddef>

namespace platform {

// Writes every byte, going on after short writes and interruptions; false
// when the system refuses (full disk, closed descriptor, ...).
bool WriteFully(int fd, const void* data, std::size_t size);

}  // namespace platform
