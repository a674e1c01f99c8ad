// The product's uninstall key (kUninstallKeyBase followed by the key name)
// under the machine root, in the installer's own view.
// Each operation opens the key (creating it when missing, so even a read
// leaves the key behind), does one thing and closes it.
#pragma once

#include <cstdint>
#include <string>

inline constexpr const char* kUninstallKeyBase = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
inline constexpr const char* kSetupOptionsValueName = "cfg_flag";
inline constexpr const char* kInstallLocationValueName = "InstallLocation";

// The uninstall key's path for a key name.
std::string UninstallKeyPath(const std::string& keyName);

// False when the key cannot be opened or the value not written, and when the
// key name is empty (which would put the values on the key that lists all
// uninstall entries).
bool WriteUninstallString(const std::string& keyName, const std::string& valueName, const std::string& text);
bool WriteUninstallDword(const std::string& keyName, const std::string& valueName, std::int32_t number);
// True when the key opened, whether or not the value was read; the number is
// changed only when it was.
bool ReadUninstallDword(const std::string& keyName, const std::string& valueName, std::int32_t& number);
// "InstallLocation": true only when the key opened and the text is non-empty.
bool ReadInstallLocation(const std::string& keyName, std::string& location);
