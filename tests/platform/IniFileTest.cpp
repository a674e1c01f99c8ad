#include "platform/IniFile.h"

#include <gtest/gtest.h>

#include "support/TempDir.h"

namespace {

TEST(IniFile, ReadsIntegersLikeTheProfileReader) {
    const std::string ini =
        "; developer switches\n"
        "[other]\nsetup_test_mode=5\n"
        "[Root]\n"
        "  SETUP_TEST_MODE = 1 \r\n"
        "setup_test_language=0x411\n"
        "negative=-3\n"
        "trailing=12abc\n"
        "text=abc\n"
        "empty=\n"
        "# a comment=9\n";
    const struct {
        const char* key;
        int expected;
    } cases[] = {
        {"setup_test_mode", 1},        // case of section and key ignored, blanks trimmed
        {"setup_test_language", 0x411},
        {"negative", -3},
        {"trailing", 12},              // the number ends at the first other character
        {"text", 0},
        {"empty", 42},                 // an empty value gives the default
        {"missing", 42},
        {"# a comment", 42},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::ReadProfileInt(ini, "root", c.key, 42), c.expected) << c.key;
    }
    EXPECT_EQ(platform::ReadProfileInt(ini, "absent", "setup_test_mode", 42), 42);
}

TEST(IniFile, MissingFileGivesDefault) {
    TempDir dir;
    EXPECT_EQ(platform::GetPrivateProfileInt("root", "k", -7, dir.Path("none.ini")), -7);
    const std::string path = dir.WriteFile("a.ini", "[root]\nk=9\n");
    EXPECT_EQ(platform::GetPrivateProfileInt("root", "k", -7, path), 9);
}

}  // namespace
