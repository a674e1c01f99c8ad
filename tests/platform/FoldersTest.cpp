#include "platform/Folders.h"

#include <gtest/gtest.h>

#include "platform/Environment.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

namespace {

TEST(Folders, UserDirEntriesExpandHomeAndIgnoreRelativeOnes) {
    const std::string text =
        "# written by xdg-user-dirs-update\n"
        "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
        "XDG_DOCUMENTS_DIR=\"/data/docs\"\n"
        "XDG_MUSIC_DIR=\"relative\"\n";
    EXPECT_EQ(platform::ReadUserDirEntry(text, "XDG_DESKTOP_DIR", "/home/u"), "/home/u/Schreibtisch");
    EXPECT_EQ(platform::ReadUserDirEntry(text, "XDG_DOCUMENTS_DIR", "/home/u"), "/data/docs");
    EXPECT_EQ(platform::ReadUserDirEntry(text, "XDG_MUSIC_DIR", "/home/u"), "");
    EXPECT_EQ(platform::ReadUserDirEntry(text, "XDG_VIDEOS_DIR", "/home/u"), "");
}

TEST(Folders, FollowHomeXdgVariablesAndRootPrefix) {
    TempDir dir;
    ScopedEnv home("HOME", dir.path() + "/");
    ScopedEnv config("XDG_CONFIG_HOME", std::nullopt);
    ScopedEnv data("XDG_DATA_HOME", std::string("relative/ignored"));
    ScopedEnv prefix(platform::kRootPrefixVariable, dir.path() + "/root/");
    ScopedEnv tmp("TMPDIR", std::nullopt);

    EXPECT_EQ(platform::GetHomeFolder(), dir.path());
    EXPECT_EQ(platform::GetConfigHomeFolder(), dir.path() + "/.config");
    EXPECT_EQ(platform::GetDataHomeFolder(), dir.path() + "/.local/share");
    EXPECT_EQ(platform::GetDocumentsFolder(), dir.path() + "/Documents");
    EXPECT_EQ(platform::GetDesktopFolder(), dir.path() + "/Desktop");
    EXPECT_EQ(platform::GetUserApplicationsFolder(), dir.path() + "/.local/share/applications");
    EXPECT_EQ(platform::GetAllUsersApplicationsFolder(), dir.path() + "/root/usr/local/share/applications");
    EXPECT_EQ(platform::GetTempFolder(), "/tmp");

    dir.WriteFile("cfg/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/Bureau\"\n");
    ScopedEnv config2("XDG_CONFIG_HOME", dir.path() + "/cfg");
    EXPECT_EQ(platform::GetDesktopFolder(), dir.path() + "/Bureau");
    EXPECT_EQ(platform::GetDocumentsFolder(), dir.path() + "/Documents");
}

}  // namespace
