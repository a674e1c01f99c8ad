#include "install/PreviousInstall.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "install/CMyRegKey.h"
#include "install/UninstallKey.h"
#include "support/LogCapture.h"
#include "support/RegistrySandbox.h"

using namespace platform;

namespace {

constexpr const char* kKeyName = "Serac Studio";

void WriteInstallPath(RegistryView view, const std::string& path) {
    std::unique_ptr<RegistryStore> store;
    RegKeyId key = 0;
    ASSERT_EQ(RegistryStore::OpenRoot(RegistryRoot::kLocalMachine, store), kRegSuccess);
    ASSERT_EQ(store->CreateKey(view, ProductKeyPath(), key), kRegSuccess);
    RegValue value;
    value.name = "InstallPath";
    value.text = path;
    ASSERT_EQ(store->SetValue(key, value), kRegSuccess);
}

bool KeyExists(RegistryView view, const std::string& path) {
    std::unique_ptr<RegistryStore> store;
    RegKeyId key = 0;
    return RegistryStore::OpenRoot(RegistryRoot::kLocalMachine, store) == kRegSuccess &&
           store->OpenKey(view, path, key) == kRegSuccess;
}

TEST(PreviousInstall, ProductKeyIsNamedAfterTheRegistryAndDisplayNames) {
    EXPECT_EQ(ProductKeyPath(), "Software\\Mirvak Serac Studio\\Mirvak Serac Studio");
}

TEST(PreviousInstall, IsNewInstallLooksForEveryTraceOfAnEarlierInstallation) {
    using Prepare = std::function<void(const RegistrySandbox&, const std::string& installFolder)>;
    const struct {
        const char* label;
        Prepare prepare;
        bool isNew;
        std::vector<std::string> logged;
        std::vector<std::string> notLogged;
    } cases[] = {
        {"clean machine", [](const RegistrySandbox&, const std::string&) {}, true,
         {"Begin IsNewInstall : bHasOldVersion (0)\n", "Don't find install path for old version.\n"},
         {"IsNewInstall : appdata folder\n"}},
        {"uninstaller in the folder",
         [](const RegistrySandbox& s, const std::string&) { s.home().dir().WriteFile("opt/Serac/uninstall.exe", "x"); },
         false, {"Begin IsNewInstall : bHasOldVersion (1)\n", "IsNewInstall : bHasOldVersion(1).\n"}, {}},
        {"recorded location exists",
         [](const RegistrySandbox& s, const std::string&) {
             std::filesystem::create_directories(s.home().dir().Path("old/Serac"));
             WriteUninstallString(kKeyName, "InstallLocation", s.home().dir().Path("old/Serac"));
         },
         false, {"IsNewInstall : bHasOldVersion(0).\n"}, {}},
        {"stale recorded location",
         [](const RegistrySandbox& s, const std::string&) {
             WriteUninstallString(kKeyName, "InstallLocation", s.home().dir().Path("deleted/Serac"));
         },
         true, {}, {"IsNewInstall : bHasOldVersion(0).\n"}},
        {"install path in the installer's view",
         [](const RegistrySandbox&, const std::string&) { WriteInstallPath(RegistryView::k32, "/opt/x"); }, false,
         {"IsNewInstall : Username false\n"}, {"IsNewInstall : WOW6432Node Username false\n"}},
        {"install path only in the 64-bit view",
         [](const RegistrySandbox&, const std::string&) { WriteInstallPath(RegistryView::k64, "/opt/x"); }, false,
         {"IsNewInstall : WOW6432Node Username false\n"}, {"IsNewInstall : Username false\n"}},
        {"empty install path",
         [](const RegistrySandbox&, const std::string&) { WriteInstallPath(RegistryView::k64, ""); }, true, {},
         {"IsNewInstall : WOW6432Node Username false\n"}},
        {"application data folder left",
         [](const RegistrySandbox& s, const std::string&) {
             std::filesystem::create_directories(s.home().dir().Path(".config/Mirvak/Serac Studio"));
         },
         false, {"IsNewInstall : appdata folder\n"}, {}},
    };
    for (const auto& c : cases) {
        RegistrySandbox sandbox;
        const std::string installFolder = sandbox.home().dir().Path("opt/Serac");
        c.prepare(sandbox, installFolder);
        LogCapture log;
        EXPECT_EQ(IsNewInstall(installFolder, kKeyName), c.isNew) << c.label;
        for (const std::string& line : c.logged) {
            EXPECT_TRUE(log.Contains(line)) << c.label << ": " << line;
        }
        for (const std::string& line : c.notLogged) {
            EXPECT_FALSE(log.Contains(line)) << c.label << ": " << line;
        }
    }
}

// The look-ups go through Create in the installer's view: afterwards the
// uninstall key and the product key exist there, but nothing was created in
// the 64-bit view.
TEST(PreviousInstall, LookUpsLeaveTheKeysInTheInstallersViewOnly) {
    RegistrySandbox sandbox;
    EXPECT_TRUE(IsNewInstall(sandbox.home().dir().Path("opt/Serac"), kKeyName));
    EXPECT_TRUE(KeyExists(RegistryView::k32, UninstallKeyPath(kKeyName)));
    EXPECT_TRUE(KeyExists(RegistryView::k32, ProductKeyPath()));
    EXPECT_FALSE(KeyExists(RegistryView::k64, ProductKeyPath()));
}

TEST(PreviousInstall, FindOldInstallPathLogsWhatItFound) {
    RegistrySandbox sandbox;
    {
        LogCapture log;
        EXPECT_EQ(FindOldInstallPath(kKeyName), "");
        EXPECT_TRUE(log.Contains("Don't find install path for old version.\n"));
    }
    WriteUninstallString(kKeyName, "InstallLocation", "/opt/Serac Studio");
    LogCapture log;
    EXPECT_EQ(FindOldInstallPath(kKeyName), "/opt/Serac Studio");
    EXPECT_TRUE(log.Contains("Find install path: (/opt/Serac Studio)\n"));
}

}  // namespace
