// Writes a setup package: a small program at the front that says what the
// file is, the 64-bit offset of the package information block at byte 32,
// the block, the 7z archive and the uninstaller image.
#pragma once

#include <cstdint>
#include <string>

#include "install/PackageInfo.h"

// The block follows the front program at this offset. The program is a
// shell script: an executable of another format would need its own bytes at
// offset 32, where the package keeps the block's offset.
inline constexpr std::uint64_t kPackageFrontSize = 4096;

class SetupPackageWriter {
public:
    // The front program's bytes, with the block's offset in place.
    static std::string FrontProgram();

    // Writes the package to packagePath (through a temporary file that is
    // renamed at the end). info supplies the names; its offsets, sizes and
    // uninstaller digest are filled in here and returned in it.
    bool Write(const std::string& packagePath, const std::string& archivePath, const std::string& uninstallerPath,
               PackageInfo& info);

    const std::string& error() const { return error_; }

private:
    std::string error_;
};
