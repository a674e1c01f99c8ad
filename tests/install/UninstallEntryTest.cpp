#include "install/UninstallEntry.h"

#include <gtest/gtest.h>

#include "install/UninstallKey.h"
#include "platform/RegistryStore.h"
#include "support/LogCapture.h"
#include "support/RegistrySandbox.h"

using namespace platform;

namespace {

constexpr const char* kKeyName = "Serac Studio";
constexpr const char* kKeyPath = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Serac Studio";

PackageInfo MakePackage(const std::string& version) {
    PackageInfo info{};
    SetPackageInfoText(info.folderName, kKeyName);
    SetPackageInfoText(info.productName, "Mirvak Serac Studio");
    SetPackageInfoText(info.version, version);
    SetPackageInfoText(info.releaseDate, "2021-01-06");
    SetPackageInfoText(info.webLink, "https://www.example.com/serac");
    SetPackageInfoText(info.publisher, "Copyright (C) Mirvak. All rights reserved.");
    info.x64 = 1;
    return info;
}

class UninstallEntryTest : public ::testing::Test {
protected:
    // The values of a key in the machine root's installer view; false when the key is missing.
    bool ReadKey(const std::string& path, std::vector<RegValue>& values, RegistryView view = RegistryView::k32) {
        std::unique_ptr<RegistryStore> store;
        RegKeyId key = 0;
        return RegistryStore::OpenRoot(RegistryRoot::kLocalMachine, store) == kRegSuccess &&
               store->OpenKey(view, path, key) == kRegSuccess && store->ListValues(key, values) == kRegSuccess;
    }

    RegistrySandbox sandbox_;
};

struct Expected {
    const char* name;
    RegType type;
    std::string text;
    std::uint32_t number;
};

void ExpectEntry(const std::vector<RegValue>& values, const std::vector<Expected>& expected) {
    ASSERT_EQ(values.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(values[i].name, expected[i].name) << "position " << i;
        EXPECT_EQ(values[i].type, expected[i].type) << expected[i].name;
        if (expected[i].type == RegType::kSz) {
            EXPECT_EQ(values[i].text, expected[i].text) << expected[i].name;
        } else {
            EXPECT_EQ(values[i].number, expected[i].number) << expected[i].name;
        }
    }
}

std::vector<Expected> EntryFor(const std::string& version, std::uint32_t options) {
    const std::string link = "https://www.example.com/serac";
    return {
        {"DisplayIcon", RegType::kSz, "/opt/Serac Studio/Mirvak Serac Studio.exe", 0},
        {"Version", RegType::kSz, version, 0},
        {"DisplayVersion", RegType::kSz, version, 0},
        {"DisplayName", RegType::kSz, "Mirvak Serac Studio (2021-01-06)", 0},
        {"EstimatedSize", RegType::kDword, "", 227016},
        {"HelpLink", RegType::kSz, link, 0},
        {"InstallDate", RegType::kSz, "20210106", 0},
        {"InstallLocation", RegType::kSz, "/opt/Serac Studio", 0},
        {"NoModify", RegType::kDword, "", 1},
        {"NoRepair", RegType::kDword, "", 1},
        {"Publisher", RegType::kSz, "Copyright (C) Mirvak. All rights reserved.", 0},
        {"QuietUninstallString", RegType::kSz, "\"/opt/Serac Studio/uninstall.exe\" /SILENT", 0},
        {"sEstimatedSize2", RegType::kDword, "", 229986},
        {"UninstallString", RegType::kSz, "\"/opt/Serac Studio/uninstall.exe\"", 0},
        {"URLInfoAbout", RegType::kSz, link, 0},
        {"URLUpdateInfo", RegType::kSz, link, 0},
        {"cfg_flag", RegType::kDword, "", options},
    };
}

TEST_F(UninstallEntryTest, WritesEveryValueInOrderWithItsType) {
    LogCapture log;
    WriteUninstallEntry(kKeyName, MakePackage("1.0.1.2"), "/opt/Serac Studio", 3);
    std::vector<RegValue> values;
    ASSERT_TRUE(ReadKey(kKeyPath, values));
    ExpectEntry(values, EntryFor("1.0.1.2", 3));
    EXPECT_TRUE(log.Contains("Write Setup Cfg Flag : 3, root(" + std::string(kKeyPath) + "), key(cfg_flag).\n"));
    // Nothing lands in the 64-bit view.
    EXPECT_FALSE(ReadKey(kKeyPath, values, RegistryView::k64));
}

TEST_F(UninstallEntryTest, AReinstallationOverwritesEveryValueInPlace) {
    WriteUninstallEntry(kKeyName, MakePackage("1.0.1.2"), "/opt/Serac Studio", -1);
    WriteUninstallEntry(kKeyName, MakePackage("1.0.2.0"), "/opt/Serac Studio", 1);
    std::vector<RegValue> values;
    ASSERT_TRUE(ReadKey(kKeyPath, values));
    ExpectEntry(values, EntryFor("1.0.2.0", 1));
}

TEST_F(UninstallEntryTest, InstallDateTakesYearMonthAndDay) {
    const struct {
        std::string date;
        std::string installDate;
    } cases[] = {{"2021-01-06", "20210106"}, {"2021/12/31", "20211231"}, {"2021-01-06 extra", "20210106"},
                 {"2021-1", "20211"}, {"", ""}};
    for (const auto& c : cases) {
        EXPECT_EQ(MakeInstallDate(c.date), c.installDate) << c.date;
    }
}

TEST_F(UninstallEntryTest, AnEmptyKeyNameWritesNothing) {
    EXPECT_FALSE(WriteUninstallString("", "DisplayName", "x"));
    EXPECT_FALSE(WriteUninstallDword("", "cfg_flag", 1));
    WriteUninstallEntry("", MakePackage("1.0"), "/opt/x", 3);
    std::vector<RegValue> values;
    EXPECT_FALSE(ReadKey("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall", values) && !values.empty());
}

// The setup options read at start-up: a missing value leaves every box
// checked, and the read leaves an empty key behind on a clean machine.
TEST_F(UninstallEntryTest, StartupReadOfTheSetupOptions) {
    const struct {
        const char* label;
        bool store;
        std::int32_t stored;
        std::int32_t options;
        bool desktopBox;
        bool joinBox;
    } cases[] = {
        {"missing", false, 0, -1, true, true},
        {"both", true, 3, 3, true, true},
        {"none", true, 0, 0, false, false},
        {"join only", true, 2, 2, false, true},
    };
    for (const auto& c : cases) {
        RegistrySandbox sandbox;
        if (c.store) {
            ASSERT_TRUE(WriteUninstallDword(kKeyName, "cfg_flag", c.stored));
        }
        std::int32_t options = -1;
        EXPECT_TRUE(ReadUninstallDword(kKeyName, "cfg_flag", options)) << c.label;
        EXPECT_EQ(options, c.options) << c.label;
        EXPECT_EQ((options & kOptionDesktopShortcut) != 0, c.desktopBox) << c.label;
        EXPECT_EQ((options & kOptionJoinProgramme) != 0, c.joinBox) << c.label;

        std::vector<RegValue> values;
        ASSERT_TRUE(ReadKey(kKeyPath, values)) << c.label << ": the read created the key";
        EXPECT_EQ(values.size(), c.store ? 1u : 0u) << c.label;
    }
}

TEST_F(UninstallEntryTest, InstallLocationCountsOnlyWhenReadableAndNotEmpty) {
    const struct {
        const char* label;
        std::string stored;  // "-": not written
        bool found;
    } cases[] = {
        {"missing", "-", false},
        {"empty", "", false},
        {"199 characters", "/" + std::string(198, 'f'), true},
        {"200 characters", "/" + std::string(199, 'f'), false},
        {"plain", "/opt/Serac Studio", true},
    };
    for (const auto& c : cases) {
        RegistrySandbox sandbox;
        if (c.stored != "-") {
            ASSERT_TRUE(WriteUninstallString(kKeyName, "InstallLocation", c.stored));
        }
        std::string location = "unchanged";
        EXPECT_EQ(ReadInstallLocation(kKeyName, location), c.found) << c.label;
        EXPECT_EQ(location, c.found ? c.stored : "unchanged") << c.label;
    }
}

}  // namespace
