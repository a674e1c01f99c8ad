#include "install/ExtractPathGuard.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/TempDir.h"

namespace {

TEST(ExtractPathGuard, EntryNamesStayInsideTheFolder) {
    const struct {
        const char* name;
        const char* safe;
    } cases[] = {
        {"bin/app.exe", "bin/app.exe"},
        {"./bin//app.exe/", "bin/app.exe"},
        {"a/./b", "a/b"},
        {"..hidden/..x", "..hidden/..x"},  // dots inside names are names
        {"a\\..\\b", "a\\..\\b"},          // a backslash is part of a name here
        {"/etc/passwd", ""},
        {"../x", ""},
        {"a/../../x", ""},
        {"a/..", ""},
        {"a/../b", ""},  // even a climb that stays inside is refused
        {"", ""},
        {".", ""},
        {"./", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SafeEntryPath(c.name), c.safe) << c.name;
    }
}

TEST(ExtractPathGuard, LinkTargetsClimbNoHigherThanTheirFolder) {
    const struct {
        const char* link;
        const char* target;
        bool inside;
    } cases[] = {
        {"studio", "bin/app", true},
        {"bin/studio", "app", true},
        {"bin/studio", "../lib/libx.so", true},
        {"a/b/c", "../../top", true},
        {"a/b/c", "../../../up", false},
        {"top", "../x", false},
        {"bin/studio", "/usr/bin/app", false},
        {"bin/studio", "", false},
        {"bin/studio", ".", true},
        {"a/b/c", "x/../../..", false},  // climbing after descending is refused
        {"a/b/c", "x/..", false},
        {"a/b/c", "./../y", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsLinkTargetInside(c.link, c.target), c.inside) << c.link << " -> " << c.target;
    }
}

TEST(ExtractPathGuard, FoldersOnDiskThatAreLinksOrFiles) {
    TempDir dir;
    dir.WriteFile("root/real/file.txt", "x");
    ASSERT_EQ(symlink("real", dir.Path("root/link").c_str()), 0);
    const std::string root = dir.Path("root");
    EXPECT_FALSE(CrossesLinkOnDisk(root, "real/new.txt"));
    EXPECT_FALSE(CrossesLinkOnDisk(root, "not/there/yet.txt"));
    EXPECT_FALSE(CrossesLinkOnDisk(root, "link"));  // the entry itself may replace a link
    EXPECT_TRUE(CrossesLinkOnDisk(root, "link/new.txt"));
    EXPECT_TRUE(CrossesLinkOnDisk(root, "real/file.txt/below"));
}

}  // namespace
