// The uninstall entry written after a successful installation: what the
// system's list of installed programs shows for the product and how it
// removes it, plus the setup options read back by the next installer run.
#pragma once

#include <cstdint>
#include <string>

#include "install/PackageInfo.h"

// Sizes shown in the list of installed programs (kilobytes), fixed for this product.
inline constexpr std::int32_t kEstimatedSizeKb = 227016;
inline constexpr std::int32_t kEstimatedSize2Kb = 229986;

// The uninstaller that the package writes into the install folder.
inline constexpr const char* kUninstallerFileName = "uninstall.exe";

// Bits of the setup options number ("cfg_flag").
inline constexpr std::int32_t kOptionDesktopShortcut = 1;
inline constexpr std::int32_t kOptionJoinProgramme = 2;

// Eight characters of a "YYYY?MM?DD" date: year, month and day without the
// separators; characters missing from a short date are left out.
std::string MakeInstallDate(const std::string& releaseDate);

// Writes every value of the entry under the uninstall key named keyName, in
// a fixed order, each on its own: a value that cannot be written is missing
// and the next one is tried. The texts come from the package information and
// the install folder; setupOptions is written as "cfg_flag" last.
void WriteUninstallEntry(const std::string& keyName, const PackageInfo& info, const std::string& installFolder,
                         std::int32_t setupOptions);
