// Runs the installer program itself in a sandboxed home and reads the log it wrote.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace {

std::vector<std::string> LogLinesWithoutStamps(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    const std::regex stamp(R"(^\d\d:\d\d:\d\d : )");
    while (std::getline(in, line)) lines.push_back(std::regex_replace(line, stamp, ""));
    return lines;
}

std::string SystemModeLine() {
#if defined(__x86_64__) || defined(__aarch64__)
    return "System Mode : x64";
#else
    return "System Mode : x86";
#endif
}

class StartupTest : public ::testing::Test {
protected:
    int Run(const std::vector<std::string>& args = {}) {
        return RunProgram(MSS_SETUP_BINARY, args, {"HOME=" + home_.path(), "PATH=/usr/bin:/bin"});
    }
    std::string LogPath() const { return home_.Path("Documents/Mirvak/Serac Studio/Log/install.log"); }

    TempDir home_;
};

TEST_F(StartupTest, LogShowsTheStartUpSequenceAndAnyCommandLineIsIgnored) {
    ASSERT_EQ(Run(), 0);
    ASSERT_EQ(Run({"/uninstall", "--whatever"}), 0);
    const std::vector<std::string> oneRun = {
        "", "", std::string(40, '-'), "Init Log OK.", "Setup Init. Version 1.0.6.0", SystemModeLine(),
        "Exit app.",
    };
    std::vector<std::string> twoRuns = oneRun;
    twoRuns.insert(twoRuns.end(), oneRun.begin(), oneRun.end());
    EXPECT_EQ(LogLinesWithoutStamps(TempDir::ReadFile(LogPath())), twoRuns);
}

TEST_F(StartupTest, TestModeLineIsFollowedByAnEmptyLine) {
    home_.WriteFile("Documents/VekDebugConfig.ini", "[root]\nsetup_test_mode=1\nshow_info_view=2\n");
    ASSERT_EQ(Run(), 0);
    const std::vector<std::string> expected = {
        "", "", std::string(40, '-'), "Init Log OK.", "Setup Init. Version 1.0.6.0", SystemModeLine(),
        "Test Mode : true", "", "Exit app.",
    };
    EXPECT_EQ(LogLinesWithoutStamps(TempDir::ReadFile(LogPath())), expected);
}

TEST_F(StartupTest, UnwritableLogFolderStillEndsWithExitCodeZero) {
    // The product's Documents folder is a file: no log can be made.
    home_.WriteFile("Documents/Mirvak", "not a folder");
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(TempDir::ReadFile(LogPath()), "");
}

}  // namespace
