#include "platform/ExecutablePath.h"

#include <unistd.h>

#include <climits>

namespace platform {

std::string GetExecutablePath() {
    char buffer[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0) {
        return std::string();
    }
    return std::string(buffer, static_cast<std::size_t>(length));
}

}  // namespace platform
