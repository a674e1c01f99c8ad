#include "platform/DesktopEntry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/ChildProcess.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

using namespace platform;

namespace {

TEST(DesktopEntry, ExecArgumentsAreQuotedOnlyWhereNeeded) {
    const struct {
        std::string argument;
        bool always;
        std::string quoted;
    } cases[] = {
        {"/opt/Mirvak Serac Studio/Mirvak Serac Studio.exe", true,
         "\"/opt/Mirvak Serac Studio/Mirvak Serac Studio.exe\""},
        {"/opt/plain", true, "\"/opt/plain\""},
        {"--installmode", false, "--installmode"},
        {"", false, "\"\""},
        {"a\"b", false, "\"a\\\"b\""},
        {"$HOME`x`\\y", false, "\"\\$HOME\\`x\\`\\\\y\""},
        {"50%", false, "50%%"},
        {"50% off", false, "\"50%% off\""},
        {"semi;colon", false, "\"semi;colon\""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(QuoteExecArgument(c.argument, c.always), c.quoted) << c.argument;
    }
}

TEST(DesktopEntry, StringValuesEscapeBackslashesAndLineBreaks) {
    EXPECT_EQ(EscapeDesktopValue("a\\b\nc\td\re"), "a\\\\b\\nc\\td\\re");
    EXPECT_EQ(EscapeDesktopValue(" lead and inner"), "\\slead and inner");
}

TEST(DesktopEntry, WebAddressesAreTold) {
    EXPECT_TRUE(IsWebAddress("https://www.example.com/?s=video_client&v=1.0"));
    EXPECT_TRUE(IsWebAddress("http://h/"));
    EXPECT_FALSE(IsWebAddress("/opt/Mirvak Serac Studio/uninstall.exe"));
    EXPECT_FALSE(IsWebAddress("://no-scheme"));
    EXPECT_FALSE(IsWebAddress("/opt/odd://name"));
}

TEST(DesktopEntry, ProgramEntryQuotesTheProgramAndCarriesItsFolder) {
    DesktopEntry entry;
    entry.name = "Mirvak Serac Studio";
    entry.target = "/opt/Mirvak Serac Studio/Mirvak Serac Studio.exe";
    entry.arguments = "--mode \"two words\"";
    entry.workingFolder = "/opt/Mirvak Serac Studio";
    entry.comment = "Mirvak Serac StudioApplication";
    const std::string text = FormatDesktopEntry(entry);
    EXPECT_NE(text.find("Type=Application\n"), std::string::npos);
    EXPECT_NE(text.find("Exec=\"/opt/Mirvak Serac Studio/Mirvak Serac Studio.exe\" --mode \"two words\"\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Path=/opt/Mirvak Serac Studio\n"), std::string::npos);
    EXPECT_NE(text.find("Icon=/opt/Mirvak Serac Studio/Mirvak Serac Studio.exe\n"), std::string::npos);
    EXPECT_EQ(text.find("URL="), std::string::npos);
}

TEST(DesktopEntry, ABackslashInTheProgramPathIsEscapedTwice) {
    DesktopEntry entry;
    entry.name = "n";
    entry.target = "/opt/odd\\name";
    // Quoting turns \ into \\, the string escape then doubles both.
    EXPECT_NE(FormatDesktopEntry(entry).find("Exec=\"/opt/odd\\\\\\\\name\"\n"), std::string::npos);
}

TEST(DesktopEntry, WebAddressBecomesALinkWithoutProgramKeys) {
    DesktopEntry entry;
    entry.name = "Mirvak Serac Studio Online";
    entry.target = "https://www.example.com/?s=video_client&ad=video_client&v=1.0.1.2";
    const std::string text = FormatDesktopEntry(entry);
    EXPECT_NE(text.find("Type=Link\n"), std::string::npos);
    EXPECT_NE(text.find("URL=https://www.example.com/?s=video_client&ad=video_client&v=1.0.1.2\n"),
              std::string::npos);
    EXPECT_EQ(text.find("Exec="), std::string::npos);
    EXPECT_EQ(text.find("Path="), std::string::npos);
}

// The validator that desktops use agrees that the files are well formed,
// also with texts that need every kind of escape.
TEST(DesktopEntry, WrittenFilesPassTheDesktopFileValidator) {
    const std::string validator = FindProgramInPath("desktop-file-validate");
    if (validator.empty()) {
        GTEST_SKIP() << "desktop-file-validate is not installed (Debian package desktop-file-utils); "
                        "the validity check is skipped";
    }
    TempDir dir;
    DesktopEntry program;
    program.name = " Mirvak \"Serac\" Studio";
    program.target = "/opt/Mirvak Serac Studio/Mirvak Serac Studio.exe";
    program.arguments = "--mode \"100% sure\" $x";
    program.workingFolder = "/opt/Mirvak Serac Studio";
    program.comment = "line one\nline two \\ end";
    DesktopEntry link;
    link.name = "Mirvak Serac Studio Online";
    link.target = "https://www.example.com/?s=video_client&ad=video_client&v=1.0";
    link.comment = "Mirvak Serac StudioHomepage";

    const struct {
        const char* file;
        const DesktopEntry* entry;
    } files[] = {{"program entry.desktop", &program}, {"web link.desktop", &link}};
    for (const auto& f : files) {
        const std::string path = dir.Path(f.file);
        ASSERT_TRUE(WriteDesktopEntry(path, *f.entry, 0644));
        EXPECT_EQ(RunProgram(validator, {path}, {}), 0) << TempDir::ReadFile(path);
    }
}

TEST(DesktopEntry, WritingReplacesTheFileAndLeavesNoTemporaryBehind) {
    TempDir dir;
    const std::string path = dir.WriteFile("apps/link.desktop", "old");
    DesktopEntry entry;
    entry.name = "n";
    entry.target = "/bin/true";
    ASSERT_TRUE(WriteDesktopEntry(path, entry, 0755));
    EXPECT_EQ(TempDir::ReadFile(path), FormatDesktopEntry(entry));
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0755u);
    std::size_t files = 0;
    for (const auto& item : std::filesystem::directory_iterator(dir.Path("apps"))) {
        (void)item;
        ++files;
    }
    EXPECT_EQ(files, 1u);

    EXPECT_FALSE(WriteDesktopEntry(dir.Path("missing/link.desktop"), entry, 0644));
}

}  // namespace
