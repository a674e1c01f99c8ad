#include "install/Shortcuts.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <filesystem>
#include <set>
#include <thread>

#include "app/i18n/UITexts.h"
#include "app/product/ProductConstants.h"
#include "install/CMyRegKey.h"
#include "platform/ChildProcess.h"
#include "support/LogCapture.h"
#include "support/RegistrySandbox.h"
#include "support/RunProgram.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kName = "Mirvak Serac Studio";
constexpr const char* kInstallFolder = "/opt/Serac Studio";

class ShortcutsTest : public ::testing::Test {
protected:
    void SetUp() override { SelectLanguage(std::string(kName), 0x0409); }

    std::string Desktop() const { return sandbox_.home().dir().Path("Desktop"); }
    std::string UserMenu() const { return sandbox_.home().dir().Path(".local/share/applications"); }
    std::string CommonMenu() const { return sandbox_.rootDir().Path("usr/local/share/applications"); }

    ShortcutRequest Request(bool desktop) const {
        ShortcutRequest request;
        request.installFolder = kInstallFolder;
        request.programName = product::kMainProgramFileName;
        request.shortcutName = kName;
        request.homepageLink = product::HomePageAddress() + "1.0.1.2";
        request.desktop = desktop;
        return request;
    }

    // Every desktop entry under the sandbox, as paths relative to home or root.
    std::set<std::string> AllEntries() const {
        std::set<std::string> found;
        for (const auto* dir : {&sandbox_.home().dir(), &sandbox_.rootDir()}) {
            for (const auto& item : fs::recursive_directory_iterator(dir->path())) {
                if (item.path().extension() == ".desktop") {
                    found.insert(fs::relative(item.path(), dir->path()).string());
                }
            }
        }
        return found;
    }

    RegistrySandbox sandbox_;
};

TEST_F(ShortcutsTest, WithoutTheDesktopBoxExactlySixEntriesAreMade) {
    fs::create_directories(Desktop());
    LogCapture log;
    CreateShortcuts(Request(false));
    const std::set<std::string> expected = {
        ".local/share/applications/Mirvak Serac Studio/Mirvak Serac Studio.desktop",
        ".local/share/applications/Mirvak Serac Studio/Uninstall Mirvak Serac Studio.desktop",
        ".local/share/applications/Mirvak Serac Studio/Mirvak Serac Studio Online.desktop",
        "usr/local/share/applications/Mirvak Serac Studio/Mirvak Serac Studio.desktop",
        "usr/local/share/applications/Mirvak Serac Studio/Uninstall Mirvak Serac Studio.desktop",
        "usr/local/share/applications/Mirvak Serac Studio/Mirvak Serac Studio Online.desktop",
    };
    EXPECT_EQ(AllEntries(), expected);
    EXPECT_FALSE(log.Contains("Create DESKTOP Icons Finish."));
    EXPECT_TRUE(log.Contains("Create START_MENU Icons Finish."));
    EXPECT_TRUE(log.Contains("Create COMMON_MENU Icons Finish."));
}

TEST_F(ShortcutsTest, EntriesCarryTargetFolderAndDescription) {
    fs::create_directories(Desktop());
    LogCapture log;
    CreateShortcuts(Request(true));
    EXPECT_EQ(AllEntries().size(), 7u);
    EXPECT_TRUE(log.Contains("Create DESKTOP Icons Finish."));

    const std::string program = "\"/opt/Serac Studio/Mirvak Serac Studio.exe\"";
    const struct {
        std::string path;
        std::vector<std::string> lines;
        std::vector<std::string> absent;
    } cases[] = {
        {Desktop() + "/Mirvak Serac Studio.desktop",
         {"Type=Application", "Exec=" + program, "Path=/opt/Serac Studio", "Comment=Mirvak Serac StudioApplication",
          "Name=Mirvak Serac Studio"},
         {"URL="}},
        {UserMenu() + "/Mirvak Serac Studio/Uninstall Mirvak Serac Studio.desktop",
         {"Exec=\"/opt/Serac Studio/uninstall.exe\"", "Path=/opt/Serac Studio",
          "Comment=Mirvak Serac StudioUninstall Application"},
         {}},
        {CommonMenu() + "/Mirvak Serac Studio/Mirvak Serac Studio Online.desktop",
         {"Type=Link", "URL=" + product::HomePageAddress() + "1.0.1.2", "Comment=Mirvak Serac StudioHomepage"},
         {"Path=", "Exec="}},
    };
    for (const auto& c : cases) {
        const std::string text = TempDir::ReadFile(c.path);
        ASSERT_FALSE(text.empty()) << c.path;
        for (const std::string& line : c.lines) {
            EXPECT_NE(text.find(line + "\n"), std::string::npos) << c.path << " lacks " << line << "\n" << text;
        }
        for (const std::string& key : c.absent) {
            EXPECT_EQ(text.find("\n" + key), std::string::npos) << c.path << " has " << key;
        }
    }
    struct stat info {};
    ASSERT_EQ(stat((Desktop() + "/Mirvak Serac Studio.desktop").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0755u) << "desktop launchers are executable";
}

TEST_F(ShortcutsTest, EveryEntryPassesTheDesktopFileValidator) {
    const std::string validator = platform::FindProgramInPath("desktop-file-validate");
    if (validator.empty()) {
        GTEST_SKIP() << "desktop-file-validate is not installed (Debian package desktop-file-utils); "
                        "the validity check is skipped";
    }
    fs::create_directories(Desktop());
    CreateShortcuts(Request(true));
    for (const auto* dir : {&sandbox_.home().dir(), &sandbox_.rootDir()}) {
        for (const auto& item : fs::recursive_directory_iterator(dir->path())) {
            if (item.path().extension() == ".desktop") {
                EXPECT_EQ(RunProgram(validator, {item.path().string()}, {}), 0) << item.path();
            }
        }
    }
}

TEST_F(ShortcutsTest, AMissingDesktopSkipsOnlyItsShortcut) {
    LogCapture log;
    CreateShortcuts(Request(true));
    EXPECT_EQ(AllEntries().size(), 6u);
    EXPECT_FALSE(fs::exists(Desktop()));
    EXPECT_TRUE(log.Contains("Create DESKTOP Icons Finish."));
}

TEST_F(ShortcutsTest, CreateShortcutResults) {
    fs::create_directories(Desktop());
    const struct {
        const char* label;
        ShortcutLink link;
        HRESULT result;
    } cases[] = {
        {"ok", {"/opt/p", "", "Link", kShortcutFolderDesktop, "", "", "", ""}, S_OK},
        {"no target", {"", "", "Link", kShortcutFolderDesktop, "", "", "", ""}, E_POINTER},
        {"no link name", {"/opt/p", "", "", kShortcutFolderDesktop, "", "", "", ""}, E_POINTER},
        {"unknown folder", {"/opt/p", "", "Link", 9, "", "", "", ""}, E_FAIL},
        {"name leaves folder", {"/opt/p", "", "../Link", kShortcutFolderDesktop, "", "", "", ""}, E_FAIL},
        {"dot name", {"/opt/p", "", "..", kShortcutFolderDesktop, "", "", "", ""}, E_FAIL},
        {"sub-folder leaves folder", {"/opt/p", "", "Link", kShortcutFolderStartMenu, "a/../../x", "", "", ""}, E_FAIL},
        {"absolute sub-folder", {"/opt/p", "", "Link", kShortcutFolderStartMenu, "/tmp", "", "", ""}, E_FAIL},
        {"nested sub-folder", {"/opt/p", "", "Link", kShortcutFolderStartMenu, "Family/Product", "", "", ""}, S_OK},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CreateShortcut(c.link), c.result) << c.label;
    }
    EXPECT_EQ(AllEntries(), (std::set<std::string>{"Desktop/Link.desktop",
                                                   ".local/share/applications/Family/Product/Link.desktop"}));

    fs::remove_all(Desktop());
    EXPECT_EQ(CreateShortcut({"/opt/p", "", "Link", kShortcutFolderDesktop, "", "", "", ""}), E_FAIL);
    EXPECT_FALSE(fs::exists(Desktop())) << "the desktop folder is never created";
}

TEST_F(ShortcutsTest, IconPathAndArgumentsAreUsedWhenGiven) {
    fs::create_directories(Desktop());
    ASSERT_EQ(CreateShortcut({"/opt/p q/prog", "", "Link", kShortcutFolderDesktop, "", "", "/opt/icon.png",
                              "--flag \"two words\""}),
              S_OK);
    const std::string text = TempDir::ReadFile(Desktop() + "/Link.desktop");
    EXPECT_NE(text.find("Icon=/opt/icon.png\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Exec=\"/opt/p q/prog\" --flag \"two words\"\n"), std::string::npos) << text;
}

constexpr const char* kMetricsKey = "Control Panel\\Desktop\\WindowMetrics";

std::optional<std::string> ReadIconSize() {
    CMyRegKey key;
    std::string text;
    if (key.Open(platform::RegistryRoot::kCurrentUser, kMetricsKey, platform::kKeyRead) != platform::kRegSuccess ||
        key.ReadString("Shell Icon Size", text) != platform::kRegSuccess) {
        return std::nullopt;
    }
    return text;
}

// The size goes up by one and, 200 ms later, back to what it was; watched
// from a second connection while the refresh runs.
TEST_F(ShortcutsTest, RefreshBumpsTheShellIconSizeAndRestoresIt) {
    const struct {
        const char* label;
        bool key;
        std::optional<std::string> stored;
        std::optional<std::string> bumped;
        std::optional<std::string> after;
    } cases[] = {
        {"32", true, "32", "33", "32"},
        {"48", true, "48", "49", "48"},
        {"absent value", true, std::nullopt, "33", "32"},
        {"not a number", true, "big", "33", "32"},
        {"zero", true, "0", "33", "32"},
        {"no key", false, std::nullopt, std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        RegistrySandbox sandbox;
        if (c.key) {
            CMyRegKey key;
            ASSERT_EQ(key.Create(platform::RegistryRoot::kCurrentUser, kMetricsKey), platform::kRegSuccess);
            if (c.stored) key.WriteString("Shell Icon Size", *c.stored);
        }
        std::atomic<bool> done{false};
        std::thread refresh([&] {
            RefreshShellIcons();
            done = true;
        });
        std::set<std::string> seen;
        while (!done) {
            if (auto size = ReadIconSize()) seen.insert(*size);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        refresh.join();
        if (c.bumped) {
            EXPECT_TRUE(seen.count(*c.bumped)) << c.label;
        } else {
            EXPECT_TRUE(seen.empty()) << c.label;
        }
        EXPECT_EQ(ReadIconSize(), c.after) << c.label;
    }
}

TEST_F(ShortcutsTest, RefreshIndexesTheApplicationsFolders) {
    if (platform::FindProgramInPath("update-desktop-database").empty()) {
        GTEST_SKIP() << "update-desktop-database is not installed; nothing to check";
    }
    CreateShortcuts(Request(false));
    RefreshShellIcons();
    EXPECT_TRUE(fs::exists(UserMenu() + "/mimeinfo.cache"));
    EXPECT_TRUE(fs::exists(CommonMenu() + "/mimeinfo.cache"));
}

}  // namespace
