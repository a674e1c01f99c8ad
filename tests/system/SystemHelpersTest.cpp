#include <gtest/gtest.h>
#include <sys/stat.h>

#include "system/FileSystem.h"
#include "system/Resources.h"
#include "system/SystemInfo.h"
#include "system/TextUtil.h"
#include "support/TempDir.h"

namespace {

TEST(FormatSize, UnitBoundaries) {
    const struct {
        std::uint64_t bytes;
        const char* text;
    } cases[] = {
        {0, "0Byte"},         {1024, "1024Byte"},    {1025, "1.00KB"},
        {1048576, "1024.00KB"}, {1048577, "1.00MB"}, {1310720000ull, "1250.00MB"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatSize(c.bytes), c.text) << c.bytes;
    }
}

TEST(ReplaceAll, ScansOnAfterEachReplacement) {
    const struct {
        const char* text;
        const char* search;
        const char* replacement;
        const char* result;
    } cases[] = {
        {"Start __P__", "__P__", "Mirvak Serac Studio", "Start Mirvak Serac Studio"},
        {"__P__ and __P__", "__P__", "x", "x and x"},
        {"aaa", "a", "aa", "aaaaaa"},      // the inserted text is not searched again
        {"abc", "", "x", "abc"},
        {"abc", "d", "x", "abc"},
        {"1.0.1.2 official (01/06/2021)", "official", "正式版", "1.0.1.2 正式版 (01/06/2021)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReplaceAll(c.text, c.search, c.replacement), c.result) << c.text;
    }
}

TEST(JoinPath, OneSeparatorBetween) {
    const struct {
        const char* base;
        const char* name;
        const char* joined;
    } cases[] = {
        {"/a", "b", "/a/b"},  {"/a/", "b", "/a/b"}, {"/a", "/b", "/a/b"},
        {"", "b", "b"},       {"/a", "", "/a"},     {"/a/", "b/c/", "/a/b/c/"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(JoinPath(c.base, c.name), c.joined) << c.base << " + " << c.name;
    }
}

TEST(CreateFolderChain, CreatesEveryLevelAndRefusesOverlongPaths) {
    TempDir dir;
    const std::string deep = dir.Path("a/b/c");
    EXPECT_TRUE(CreateFolderChain(deep));
    struct stat info {};
    EXPECT_EQ(stat(deep.c_str(), &info), 0);
    EXPECT_TRUE(CreateFolderChain(deep));  // existing levels are fine

    std::string longPath = dir.Path("long/");
    longPath += std::string(kMaxFolderChainLength + 1 - longPath.size(), 'x');
    ASSERT_EQ(longPath.size(), kMaxFolderChainLength + 1);
    EXPECT_FALSE(CreateFolderChain(longPath));
    EXPECT_NE(stat(dir.Path("long").c_str(), &info), 0);
}

TEST(Resources, VersionTextIsEmbeddedAndMissingOnesFail) {
    std::string text;
    ASSERT_TRUE(LoadResourceText(503, "txt", text));
    EXPECT_EQ(text, "1.0.1.2 official (01/06/2021)");
    ASSERT_TRUE(LoadResourceText(504, "txt", text));
    EXPECT_EQ(text, "1.0.1.2 official (01/06/2021)");
    text = "kept";
    EXPECT_FALSE(LoadResourceText(503, "xml", text));
    EXPECT_FALSE(LoadResourceText(9999, "txt", text));
    EXPECT_EQ(text, "kept");
}

TEST(SystemInfo, SixtyFourBitMachines) {
    EXPECT_TRUE(IsArch64("x86_64"));
    EXPECT_TRUE(IsArch64("aarch64"));
    EXPECT_FALSE(IsArch64("i686"));
    EXPECT_FALSE(IsArch64("armv7l"));
}

}  // namespace
