#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/LogCapture.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "system/SystemFolders.h"
#include "system/SystemInfo.h"

namespace {

TEST(VersionRules, SevenOrLaterAndVistaOrLaterByNumbers) {
    const struct {
        int major;
        int minor;
        bool sevenOrLater;
        bool vistaOrLater;
    } cases[] = {
        {5, 1, false, false},  // XP
        {5, 9, false, false},  {6, 0, false, true},   // Vista
        {6, 1, true, true},    // 7
        {6, 2, true, true},    // 8
        {6, 3, true, true},    {10, 0, true, true},
        {7, 0, true, true},    {0, 0, false, false},  // no source answered
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsWindows7OrLaterVersion(c.major, c.minor), c.sevenOrLater) << c.major << "." << c.minor;
        EXPECT_EQ(IsVistaOrLaterVersion(c.major), c.vistaOrLater) << c.major << "." << c.minor;
    }
}

TEST(VersionRules, ThisSystemReportsTenAndLogsIt) {
    LogCapture log;
    int major = 0;
    int minor = -1;
    GetWindowsVersion(major, minor);
    EXPECT_EQ(major, 10);
    EXPECT_EQ(minor, 0);
    EXPECT_TRUE(IsWindows7OrLater());
    EXPECT_TRUE(IsVistaOrLater());
    const std::vector<std::string> expected{"Window Version : 10,0", "Window Version : 10,0"};
    EXPECT_EQ(log.lines(), expected);
}

TEST(SystemFolders, ProgramPathUnderProgramFilesCreatedOnRequest) {
    TempDir dir;
    ScopedEnv home("HOME", dir.Path("home"));
    ScopedEnv prefix("MSS_ROOT_PREFIX", dir.Path("root"));
    const std::string programFiles = IsUserAdmin() ? dir.Path("root/opt") : dir.Path("home/.local/opt");

    std::string path = "unchanged";
    ASSERT_TRUE(GetProgramPath(path, "Mirvak/Serac Studio", false, true));
    EXPECT_EQ(path, programFiles + "/Mirvak/Serac Studio");
    struct stat info {};
    EXPECT_NE(stat(path.c_str(), &info), 0) << "created without the create flag";

    ASSERT_TRUE(GetProgramPath(path, "Serac Studio", true, false));
    EXPECT_EQ(path, programFiles + "/Serac Studio");
    EXPECT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));

    path = "unchanged";
    EXPECT_FALSE(GetProgramPath(path, std::string(300, 'x'), true, true));
    EXPECT_EQ(path, "unchanged");
}

TEST(SystemFolders, AppDataFollowsXdgConfigHome) {
    ScopedEnv home("HOME", "/home/someone");
    {
        ScopedEnv config("XDG_CONFIG_HOME", std::nullopt);
        std::string path;
        ASSERT_TRUE(GetAppDataFolder(path));
        EXPECT_EQ(path, "/home/someone/.config");
    }
    ScopedEnv config("XDG_CONFIG_HOME", "/elsewhere/config");
    std::string path;
    ASSERT_TRUE(GetAppDataFolder(path));
    EXPECT_EQ(path, "/elsewhere/config");
}

}  // namespace
