// Setup packages laid out for tests: a stub, the block, the archive and the
// uninstaller, with the offsets filled in; fields can be patched afterwards.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "install/PackageInfo.h"

struct TestPackage {
    std::string bytes;
    std::uint64_t infoOffset = 0;

    // Overwrites a field of the block inside the package bytes.
    template <typename T>
    void Patch(std::size_t fieldOffset, T value) {
        std::memcpy(&bytes[static_cast<std::size_t>(infoOffset) + fieldOffset], &value, sizeof value);
    }
    void PatchInfoOffset(std::uint64_t offset) { std::memcpy(&bytes[kPackageInfoOffsetField], &offset, sizeof offset); }
    std::string Block() const { return bytes.substr(static_cast<std::size_t>(infoOffset), kPackageInfoSize); }
};

// stub | block | archive | uninstaller, or with blockLast the block after
// the uninstaller, ending exactly at the end of the file.
TestPackage BuildTestPackage(const std::string& archive, const std::string& uninstaller, PackageInfo info,
                             bool blockLast = false);

// A block with the product's names filled in.
PackageInfo SampleInfo(const std::string& folderName = "Serac Studio");
