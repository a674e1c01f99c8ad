// Environment variables and the root prefix under which every system-wide
// location is resolved, so that tests and the demo run sandboxed even as root.
#pragma once

#include <string>

namespace platform {

// The environment variable naming the root prefix (empty or unset = "/").
inline constexpr const char* kRootPrefixVariable = "MSS_ROOT_PREFIX";

// The variable's value, or an empty text when it is unset.
std::string GetEnv(const char* name);

// A system-wide absolute path ("/opt", "/var/lib/...") under the root prefix.
std::string UnderRootPrefix(const std::string& absolutePath);

// Whether the process runs as root.
bool IsRoot();

}  // namespace platform
