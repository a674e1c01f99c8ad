// The setup package unpacker: reads the package information block of a
// downloaded setup package, extracts its 7z archive into the install folder
// and writes the uninstaller and a copy of the block beside the product.
//
// Every failure is told three ways: the result, the last install result code
// (InstallResult.h) and an unpack event of kind 2. After success the install
// folder holds the product, "uninstall.exe" and "uninstall.exe.bin".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "install/PackageInfo.h"
#include "install/UnpackNotify.h"
#include "util/HResult.h"

// Archives up to this size are read into memory; larger ones are copied to
// a temporary file piece by piece, so a 1.25 GB package never sits in memory.
inline constexpr std::uint64_t kMemoryRouteLimit = 524288000;  // 500 MiB
inline constexpr std::size_t kCopyPieceSize = 10485760;        // 10 MiB

enum class UnpackRoute { Memory, File };

UnpackRoute ChooseUnpackRoute(std::uint64_t archiveSize, std::uint64_t memoryRouteLimit = kMemoryRouteLimit);

// Whether the bytes [offset, offset + size) lie inside a file of fileLength
// bytes. Offsets and sizes come from the file itself, so the test is written
// so that no sum can wrap.
bool RangeInsideFile(std::uint64_t offset, std::uint64_t size, std::uint64_t fileLength);

class SetupPackageUnpacker {
public:
    struct Limits {
        std::uint64_t memoryRouteLimit = kMemoryRouteLimit;
        std::size_t copyPieceSize = kCopyPieceSize;
    };

    SetupPackageUnpacker() = default;
    // Smaller limits let the file route be exercised with small packages.
    explicit SetupPackageUnpacker(const Limits& limits) : limits_(limits) {}

    // See UnpackSetupPackage.
    HRESULT Unpack(const std::string& packagePath, const UnpackNotify& notify, const std::string& installFolder,
                   bool removeTemporary, bool writeUninstaller);

private:
    struct Package;

    bool ExtractThroughFile(Package& package, const std::string& folder, const UnpackNotify& notify);
    bool ExtractThroughMemory(Package& package, const std::string& folder, const UnpackNotify& notify,
                              bool removeTemporary);
    void WriteUninstaller(Package& package, const std::string& folder, bool writeUninstaller);

    Limits limits_;
};

// Unpacks the package into installFolder, or, when it is empty, into the
// default folder under Program Files named by the block's folderName.
// S_OK on success; E_POINTER when packagePath is empty; E_FAIL otherwise,
// the reason in the last install result code. removeTemporary deletes the
// temporary copy of an archive extracted from memory; writeUninstaller
// writes "uninstall.exe" and the block file.
HRESULT UnpackSetupPackage(const std::string& packagePath, const UnpackNotify& notify,
                           const std::string& installFolder, bool removeTemporary, bool writeUninstaller);

// Moves the updater programs that may still be present in the install
// folder into its "InstallerTemp" folder (emptied first), copying across
// volumes when needed. Failures are logged and skipped.
void MoveToInstallerTemp(const std::string& installFolder);
