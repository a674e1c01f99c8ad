// The running program's own file.
#pragma once

#include <string>

namespace platform {

// The full path of the running executable (from /proc/self/exe), or an empty text.
std::string GetExecutablePath();

}  // namespace platform
