// Detection of an earlier installation of the product on this machine: its
// uninstall entry, the product's own key and its application-data folder.
#pragma once

#include <string>

// Key "Software\<registry name>\<display name>" under the machine root; the
// installer only reads its "InstallPath".
std::string ProductKeyPath();

// The install location recorded by an earlier installation under the
// uninstall key named keyName; empty when there is none. Logs either way.
std::string FindOldInstallPath(const std::string& keyName);

// Whether the product key holds a non-empty "InstallPath" in the installer's
// own view (the key is created there by the look-up) or in the 64-bit view
// (only opened). Both views are always read.
bool HasInstallPathKey();

// Whether no earlier installation is detected: no uninstaller in the install
// folder, no recorded install location that still exists, no "InstallPath"
// in the product key and no application-data folder of the product.
bool IsNewInstall(const std::string& installFolder, const std::string& keyName);
