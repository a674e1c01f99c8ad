#include "app/AppPaths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "app/DeveloperConfig.h"
#include "support/SandboxHome.h"

namespace {

bool IsFolder(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

TEST(AppPaths, DocumentsPathCreatesTheFoldersOnlyWhenAsked) {
    SandboxHome sandbox;
    const std::string log = MakeDocumentsPath("Mirvak/Serac Studio/Log/", std::string("install.log"), true);
    EXPECT_EQ(log, sandbox.home() + "/Documents/Mirvak/Serac Studio/Log/install.log");
    EXPECT_TRUE(IsFolder(sandbox.home() + "/Documents/Mirvak/Serac Studio/Log"));

    const std::string other = MakeDocumentsPath("Other", std::nullopt, false);
    EXPECT_EQ(other, sandbox.home() + "/Documents/Other");
    EXPECT_FALSE(IsFolder(other));
    EXPECT_EQ(MakeInstallLogPath(), log);
}

TEST(AppPaths, DownloadsIsBesideTheDocumentsFolder) {
    SandboxHome sandbox;
    // A user-dirs entry moves Documents; Downloads follows its parent.
    sandbox.dir().WriteFile(".config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/papers/Docs\"\n");
    EXPECT_EQ(MakeDocumentsPath("", std::nullopt, false), sandbox.home() + "/papers/Docs");
    const std::string package =
        MakeDownloadsPath("Mirvak/Serac Studio", std::string("MirvakSeracStudio_x64.exe"), true);
    EXPECT_EQ(package, sandbox.home() + "/papers/Downloads/Mirvak/Serac Studio/MirvakSeracStudio_x64.exe");
    EXPECT_TRUE(IsFolder(sandbox.home() + "/papers/Downloads/Mirvak/Serac Studio"));
}

TEST(AppPaths, NoHomeGivesEmptyPathsInsteadOfRelativeOnes) {
    SandboxHome sandbox;
    ScopedEnv noHome("HOME", std::nullopt);
    EXPECT_EQ(MakeDocumentsPath("Log", std::string("install.log"), true), "");
    EXPECT_EQ(MakeDownloadsPath("x", std::nullopt, true), "");
    EXPECT_FALSE(DeveloperConfigExists());
    EXPECT_EQ(ReadDeveloperConfigInt(kConfigTestMode, 7), 7);
}

TEST(DeveloperConfig, KeysReadFromRootSectionWithDefaults) {
    SandboxHome sandbox;
    EXPECT_FALSE(DeveloperConfigExists());
    EXPECT_EQ(ReadDeveloperConfigInt(kConfigShowInfoView, 0), 0);

    sandbox.WriteDeveloperConfig("show_info_view=2\nsetup_test_language=1041\n");
    EXPECT_TRUE(DeveloperConfigExists());
    EXPECT_EQ(ReadDeveloperConfigInt(kConfigShowInfoView, 0), 2);
    EXPECT_EQ(ReadDeveloperConfigInt(kConfigTestLanguage, 0), 1041);
    EXPECT_EQ(ReadDeveloperConfigInt(kConfigTestMode, 0), 0);
}

}  // namespace
