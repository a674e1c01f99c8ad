// What the installer asks the system about itself.
#pragma once

#include <string>

// Whether a machine name as uname reports it is a 64-bit architecture
// (x86_64 and aarch64 count).
bool IsArch64(const std::string& machine);

// Whether the system is 64-bit, from the running kernel's machine name.
bool IsWindows64();
