#include <gtest/gtest.h>
#include <sys/stat.h>

#include <boost/property_tree/ptree.hpp>
#include <filesystem>
#include <boost/property_tree/xml_parser.hpp>
#include <sstream>

#include "DesktopEntryCleaner.h"
#include "install/PackageInfo.h"
#include "install/SetupPackageUnpacker.h"
#include "platform/DesktopEntry.h"
#include "support/RunProgram.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

namespace {

bool Exists(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

std::string ExecLine(const platform::DesktopEntry& entry) {
    std::istringstream text(platform::FormatDesktopEntry(entry));
    std::string line;
    while (std::getline(text, line)) {
        if (line.rfind("Exec=", 0) == 0) return line.substr(5);
    }
    return std::string();
}

TEST(DesktopEntryCleaner, ReadsBackTheProgramOfEveryExecLineTheInstallerWrites) {
    for (const std::string path : {"/opt/Mirvak/Serac Studio/Mirvak Serac Studio.exe", "/opt/a\\b/c.exe",
                                   "/opt/100% \"sure\" $x`y/p.exe", " /lead"}) {
        platform::DesktopEntry entry;
        entry.target = path;
        entry.arguments = "--installmode /source:x";
        EXPECT_EQ(DesktopEntryCleaner::ExecProgram(ExecLine(entry)), path) << ExecLine(entry);
    }
    EXPECT_EQ(DesktopEntryCleaner::ExecProgram("/usr/bin/other %U"), "/usr/bin/other");
}

// The demo package installed into a sandbox, with the shortcuts the
// installer makes and a registry tool that records what it is asked.
class DemoInstallation : public ::testing::Test {
protected:
    void SetUp() override {
        ScopedEnv tmpdir("TMPDIR", sandbox.path());
        ASSERT_EQ(UnpackSetupPackage(MSS_DEMO_PACKAGE, UnpackNotify(), folder, true, true), S_OK);
        MakeShortcut(sandbox.Path("home/Desktop"), "Mirvak Serac Studio", folder + "/Mirvak Serac Studio.exe");
        MakeShortcut(sandbox.Path("home/Desktop"), "Other", "/usr/bin/other");
        for (const std::string& applications :
             {sandbox.Path("home/.local/share/applications"), sandbox.Path("root/usr/local/share/applications")}) {
            MakeShortcut(applications + "/Mirvak Serac Studio", "Mirvak Serac Studio", folder + "/Mirvak Serac Studio.exe");
            MakeShortcut(applications + "/Mirvak Serac Studio", "Uninstall Mirvak Serac Studio", folder + "/uninstall.exe");
            MakeShortcut(applications + "/Mirvak Serac Studio", "Mirvak Serac Studio Online", "https://www.example.com/1.0.1.2");
            MakeShortcut(applications + "/Other Vendor", "Other Online", "https://other.example.org/");
        }
    }

    void MakeShortcut(const std::string& directory, const std::string& name, const std::string& target) {
        platform::DesktopEntry entry;
        entry.name = name;
        entry.target = target;
        std::filesystem::create_directories(directory);
        ASSERT_TRUE(platform::WriteDesktopEntry(directory + "/" + name + ".desktop", entry, 0644));
    }

    // A registry tool beside the uninstaller that writes its arguments to a file.
    void PlaceRegistryTool() {
        const std::string tool = folder + "/mss-reg";
        sandbox.WriteFile("install/Mirvak/Serac Studio/mss-reg",
                          "#!/bin/sh\nprintf '%s|' \"$@\" >> '" + sandbox.Path("registry-calls") + "'\n");
        chmod(tool.c_str(), 0755);
    }

    std::vector<std::string> Environment(const std::string& path = "/usr/bin:/bin") const {
        return {"HOME=" + sandbox.Path("home"), "MSS_ROOT_PREFIX=" + sandbox.Path("root"), "PATH=" + path};
    }

    TempDir sandbox;
    const std::string folder = sandbox.Path("install/Mirvak/Serac Studio");
};

TEST_F(DemoInstallation, TheProductRecordsItsStartsAndDoesItsFirstRunWork) {
    const std::string program = folder + "/Mirvak Serac Studio.exe";
    EXPECT_EQ(RunProgram(program, {"/install", "/new", "/option:demo"}, Environment()), 0);
    EXPECT_TRUE(Exists(folder + "/firstrun.done"));
    EXPECT_EQ(RunProgram(program, {"--installmode"}, Environment()), 0);
    EXPECT_EQ(TempDir::ReadFile(folder + "/launches.log"), "/install /new /option:demo\n--installmode\n");
}

TEST_F(DemoInstallation, TheUninstallerRemovesWhatTheInstallerPutInPlace) {
    PlaceRegistryTool();
    EXPECT_EQ(RunProgram(folder + "/uninstall.exe", {"/SILENT"}, Environment()), 0);

    EXPECT_FALSE(Exists(folder));
    EXPECT_FALSE(Exists(sandbox.Path("home/Desktop/Mirvak Serac Studio.desktop")));
    EXPECT_FALSE(Exists(sandbox.Path("home/.local/share/applications/Mirvak Serac Studio")));
    EXPECT_FALSE(Exists(sandbox.Path("root/usr/local/share/applications/Mirvak Serac Studio")));
    EXPECT_TRUE(Exists(sandbox.Path("home/Desktop/Other.desktop")));
    EXPECT_TRUE(Exists(sandbox.Path("home/.local/share/applications/Other Vendor/Other Online.desktop")));
    EXPECT_EQ(TempDir::ReadFile(sandbox.Path("registry-calls")),
              "delete|HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Serac Studio|/f|");
}

TEST_F(DemoInstallation, WithoutARegistryToolTheRestIsStillRemoved) {
    EXPECT_EQ(RunProgram(folder + "/uninstall.exe", {"/SILENT"}, Environment(sandbox.Path("nothing-here"))), 0);
    EXPECT_FALSE(Exists(folder));
    EXPECT_FALSE(Exists(sandbox.Path("home/Desktop/Mirvak Serac Studio.desktop")));
}

TEST_F(DemoInstallation, AFolderWithoutTheBlockFileIsLeftAlone) {
    ASSERT_EQ(unlink((folder + "/uninstall.exe.bin").c_str()), 0);
    EXPECT_EQ(RunProgram(folder + "/uninstall.exe", {"/SILENT"}, Environment()), 1);
    EXPECT_TRUE(Exists(folder + "/Mirvak Serac Studio.exe"));
    EXPECT_TRUE(Exists(sandbox.Path("home/Desktop/Mirvak Serac Studio.desktop")));
    EXPECT_EQ(RunProgram(folder + "/uninstall.exe", {"/bogus"}, Environment()), 2);
}

TEST(DemoPackage, ManifestListsTheLoopbackMirrorsAndDescribesThePackage) {
    PackageInfo info = MakeFreshPackageInfo();
    ASSERT_EQ(ReadPackageInfo(MSS_DEMO_PACKAGE, info), S_OK);
    EXPECT_EQ(PackageInfoText(info.folderName), "Serac Studio");
    EXPECT_EQ(info.x64, 1);

    const std::string package = TempDir::ReadFile(MSS_DEMO_PACKAGE);
    boost::property_tree::ptree tree;
    std::istringstream xml(TempDir::ReadFile(MSS_DEMO_MANIFEST));
    boost::property_tree::read_xml(xml, tree);
    EXPECT_EQ(tree.get<std::size_t>("download.<xmlattr>.size"), package.size());
    EXPECT_EQ(tree.get<std::string>("download.<xmlattr>.name"), "MirvakSeracStudio_x64.exe");
    EXPECT_EQ(tree.get<std::string>("download.url.item_0.<xmlattr>.value"),
              "http://127.0.0.2:18081/download/MirvakSeracStudio_x64.exe");
    EXPECT_EQ(tree.get<std::string>("download.url.item_2.<xmlattr>.value"),
              "http://127.0.0.4:18083/download/MirvakSeracStudio_x64.exe");
    EXPECT_EQ(tree.get<std::size_t>("download.hash.<xmlattr>.size"), (package.size() + 1048575) / 1048576 + 1);
}

}  // namespace
