// The package information block of a setup package: where the product's 7z
// archive and the uninstaller image lie in the package, and the product's
// names for the uninstall entry.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>

#include "util/HResult.h"

// The block is read from disk with one copy into this struct, so the layout
// below is the file format: little-endian integers at fixed offsets.
static_assert(std::endian::native == std::endian::little, "the package format is little-endian");

inline constexpr std::size_t kPackageInfoSize = 4096;
// File offset of the 64-bit offset of the block inside the package.
inline constexpr std::uint64_t kPackageInfoOffsetField = 32;
// What a block made by this program carries in `signature` until a read
// from a package replaces it.
inline constexpr char kPackageInfoSignature[] = "MSSPKG01";

// Text fields are single-byte, NUL-terminated within their own space. Read
// them through PackageInfoText: a field that fills its space without a NUL is
// cut at the space's end instead of running into the next field.
struct PackageInfo {
    char signature[8];
    std::uint64_t uninstallerOffset;
    std::uint32_t uninstallerSize;
    std::uint8_t reserved20[4];
    std::uint64_t archiveOffset;
    std::uint64_t archiveSize;
    std::uint8_t reserved40[17];
    std::uint8_t uninstallerDigest[16];  // MD5 of the uninstaller image; not verified on install
    std::uint8_t reserved73[48];
    char folderName[64];   // folder under Program Files; also the uninstall key name
    char productName[64];  // base of the uninstall entry's display name
    char version[32];
    char displayName[16];
    char releaseDate[16];  // "YYYY?MM?DD"
    char webLink[128];
    char publisher[67];
    std::int32_t x64;  // non-zero for the 64-bit build of the product
    std::uint8_t reserved512[3584];
};

static_assert(sizeof(PackageInfo) == kPackageInfoSize);
static_assert(offsetof(PackageInfo, signature) == 0);
static_assert(offsetof(PackageInfo, uninstallerOffset) == 8);
static_assert(offsetof(PackageInfo, uninstallerSize) == 16);
static_assert(offsetof(PackageInfo, archiveOffset) == 24);
static_assert(offsetof(PackageInfo, archiveSize) == 32);
static_assert(offsetof(PackageInfo, uninstallerDigest) == 57);
static_assert(offsetof(PackageInfo, folderName) == 121);
static_assert(offsetof(PackageInfo, productName) == 185);
static_assert(offsetof(PackageInfo, version) == 249);
static_assert(offsetof(PackageInfo, displayName) == 281);
static_assert(offsetof(PackageInfo, releaseDate) == 297);
static_assert(offsetof(PackageInfo, webLink) == 313);
static_assert(offsetof(PackageInfo, publisher) == 441);
static_assert(offsetof(PackageInfo, x64) == 508);
static_assert(offsetof(PackageInfo, reserved512) == 512);

// A zero-filled block carrying this program's signature.
PackageInfo MakeFreshPackageInfo();

// The text of a field up to its first NUL, never past the field's own space.
template <std::size_t N>
std::string PackageInfoText(const char (&field)[N]) {
    std::size_t length = 0;
    while (length < N && field[length] != '\0') {
        ++length;
    }
    return std::string(field, length);
}

// Stores text NUL-terminated in a field, keeping at most N - 1 bytes and
// zeroing the rest of the space. False when the text had to be cut.
template <std::size_t N>
bool SetPackageInfoText(char (&field)[N], const std::string& text) {
    const std::size_t kept = text.size() < N ? text.size() : N - 1;
    for (std::size_t i = 0; i < N; ++i) {
        field[i] = i < kept ? text[i] : '\0';
    }
    return kept == text.size();
}

// Reads the block of the package at packagePath into info. S_OK on success;
// E_POINTER when packagePath is empty; E_FAIL when the file cannot be opened,
// is too short to hold the offset field, or the block does not lie inside the
// file (info is then left unchanged).
HRESULT ReadPackageInfo(const std::string& packagePath, PackageInfo& info);

// The install folder that the last UnpackSetupPackage used (given or the
// default under Program Files); empty before the first unpack that got as far
// as choosing it.
std::string GetInstalledPath();
