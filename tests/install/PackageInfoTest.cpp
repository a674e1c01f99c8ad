#include "install/PackageInfo.h"

#include <gtest/gtest.h>

#include "ArchiveFixture.h"
#include "PackageFixture.h"
#include "support/TempDir.h"

namespace {

TEST(PackageInfo, FreshBlockIsZeroBesideTheSignature) {
    const PackageInfo info = MakeFreshPackageInfo();
    const auto* bytes = reinterpret_cast<const unsigned char*>(&info);
    EXPECT_EQ(std::string(info.signature, 8), "MSSPKG01");
    for (std::size_t i = 8; i < sizeof info; ++i) {
        ASSERT_EQ(bytes[i], 0) << i;
    }
}

TEST(PackageInfo, TextFieldsNeverRunIntoTheNextField) {
    PackageInfo info = MakeFreshPackageInfo();
    std::memset(info.folderName, 'F', sizeof info.folderName);  // no NUL in its space
    std::strcpy(info.productName, "Product");
    std::memset(info.publisher, 'P', sizeof info.publisher);
    info.x64 = 0x41414141;  // "AAAA" right after the publisher
    EXPECT_EQ(PackageInfoText(info.folderName), std::string(64, 'F'));
    EXPECT_EQ(PackageInfoText(info.productName), "Product");
    EXPECT_EQ(PackageInfoText(info.publisher), std::string(67, 'P'));
    EXPECT_EQ(PackageInfoText(info.version), "");

    // Writing keeps room for the NUL and says when it had to cut.
    EXPECT_TRUE(SetPackageInfoText(info.version, std::string(31, 'v')));
    EXPECT_EQ(PackageInfoText(info.version), std::string(31, 'v'));
    EXPECT_FALSE(SetPackageInfoText(info.version, std::string(40, 'w')));
    EXPECT_EQ(PackageInfoText(info.version), std::string(31, 'w'));
    EXPECT_EQ(PackageInfoText(info.displayName), "") << "the next field is untouched";
}

TEST(ReadPackageInfo, ReadsTheBlockWhereTheOffsetPoints) {
    TempDir dir;
    const PackageInfo sample = SampleInfo();
    for (const bool blockLast : {false, true}) {
        const TestPackage package = BuildTestPackage("archive bytes", "uninstaller", sample, blockLast);
        const std::string path = dir.WriteFile("package.exe", package.bytes);
        PackageInfo info = MakeFreshPackageInfo();
        ASSERT_EQ(ReadPackageInfo(path, info), S_OK) << blockLast;
        EXPECT_EQ(std::memcmp(&info, package.Block().data(), sizeof info), 0);
        EXPECT_EQ(PackageInfoText(info.folderName), "Serac Studio");
        EXPECT_EQ(info.x64, 1);
        EXPECT_EQ(info.archiveSize, 13u);
    }
}

TEST(ReadPackageInfo, FailuresLeaveTheBlockAlone) {
    TempDir dir;
    TestPackage beyond = BuildTestPackage("a", "u", SampleInfo(), true);
    beyond.PatchInfoOffset(beyond.infoOffset + 1);
    TestPackage huge = BuildTestPackage("a", "u", SampleInfo());
    huge.PatchInfoOffset(~std::uint64_t{0} - 100);  // offset + 4096 would wrap
    const struct {
        std::string name;
        std::string path;
        HRESULT result;
    } cases[] = {
        {"no path", "", E_POINTER},
        {"missing", dir.Path("missing.exe"), E_FAIL},
        {"one byte past the end", dir.WriteFile("beyond.exe", beyond.bytes), E_FAIL},
        {"wrapping offset", dir.WriteFile("huge.exe", huge.bytes), E_FAIL},
        {"too short for the offset", dir.WriteFile("short.exe", std::string(39, 'x')), E_FAIL},
    };
    for (const auto& c : cases) {
        PackageInfo info = SampleInfo("Kept");
        EXPECT_EQ(ReadPackageInfo(c.path, info), c.result) << c.name;
        EXPECT_EQ(PackageInfoText(info.folderName), "Kept") << c.name;
    }
}

}  // namespace
