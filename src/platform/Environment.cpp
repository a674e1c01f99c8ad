#include "platform/Environment.h"

#include <unistd.h>

#include <cstdlib>

namespace platform {

std::string GetEnv(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string UnderRootPrefix(const std::string& absolutePath) {
    std::string prefix = GetEnv(kRootPrefixVariable);
    while (!prefix.empty() && prefix.back() == '/') {
        prefix.pop_back();
    }
    return prefix + absolutePath;
}

bool IsRoot() {
    return geteuid() == 0;
}

}  // namespace platform
