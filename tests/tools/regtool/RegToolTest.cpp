#include "RegTool.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "platform/RegistryStore.h"
#include "support/RegistrySandbox.h"
#include "support/RunProgram.h"

using namespace platform;

namespace {

const std::string kUninstallKey = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Serac Studio";

class RegToolTest : public ::testing::Test {
protected:
    struct Result {
        int code;
        std::string out;
        std::string err;
    };

    Result Run(const std::vector<std::string>& arguments, const std::string& input = std::string()) {
        std::ostringstream out;
        std::ostringstream err;
        std::istringstream in(input);
        const int code = RunRegTool(arguments, out, err, in);
        return {code, out.str(), err.str()};
    }

    // The value as the installer's own code would read it.
    bool Read(RegistryRoot root, RegistryView view, const std::string& path, const std::string& name,
              RegValue& value) {
        std::unique_ptr<RegistryStore> store;
        RegKeyId key = 0;
        return RegistryStore::OpenRoot(root, store) == kRegSuccess &&
               store->OpenKey(view, path, key) == kRegSuccess &&
               store->QueryValue(key, name, value) == kRegSuccess;
    }

    RegistrySandbox sandbox_;
};

TEST_F(RegToolTest, AddWritesTypedValuesIntoTheInstallersView) {
    ASSERT_EQ(Run({"add", kUninstallKey, "/v", "DisplayName", "/t", "REG_SZ", "/d", "Serac (2021-01-06)"}).code, 0);
    ASSERT_EQ(Run({"add", kUninstallKey, "/v", "cfg_flag", "/t", "REG_DWORD", "/d", "3"}).code, 0);
    ASSERT_EQ(Run({"ADD", kUninstallKey, "/V", "EstimatedSize", "/T", "reg_dword", "/D", "0x376C8"}).code, 0);
    ASSERT_EQ(Run({"add", kUninstallKey, "/v", "Minus", "/t", "REG_DWORD", "/d", "-1"}).code, 0);

    const std::string path = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Serac Studio";
    RegValue value;
    ASSERT_TRUE(Read(RegistryRoot::kLocalMachine, RegistryView::k32, path, "DisplayName", value));
    EXPECT_EQ(value.text, "Serac (2021-01-06)");
    ASSERT_TRUE(Read(RegistryRoot::kLocalMachine, RegistryView::k32, path, "cfg_flag", value));
    EXPECT_EQ(value.type, RegType::kDword);
    EXPECT_EQ(value.number, 3u);
    ASSERT_TRUE(Read(RegistryRoot::kLocalMachine, RegistryView::k32, path, "EstimatedSize", value));
    EXPECT_EQ(value.number, 227016u);
    ASSERT_TRUE(Read(RegistryRoot::kLocalMachine, RegistryView::k32, path, "Minus", value));
    EXPECT_EQ(value.number, 0xFFFFFFFFu);
    EXPECT_FALSE(Read(RegistryRoot::kLocalMachine, RegistryView::k64, path, "cfg_flag", value));

    ASSERT_EQ(Run({"add", "HKEY_CURRENT_USER\\Control Panel\\Desktop\\WindowMetrics", "/v", "Shell Icon Size", "/d",
                   "32", "/reg:64"})
                  .code,
              0);
    ASSERT_TRUE(Read(RegistryRoot::kCurrentUser, RegistryView::k64, "Control Panel\\Desktop\\WindowMetrics",
                     "Shell Icon Size", value));
    EXPECT_EQ(value.type, RegType::kSz);
    EXPECT_EQ(value.text, "32");
}

TEST_F(RegToolTest, BadCommandsFailWithAMessageAndChangeNothing) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"query"},
        {"frobnicate", kUninstallKey},
        {"query", "HKXX\\Software"},
        {"add", kUninstallKey, "/v"},
        {"add", kUninstallKey, "/v", "n", "/t", "REG_BINARY", "/d", "00"},
        {"add", kUninstallKey, "/v", "n", "/t", "REG_DWORD", "/d", "twelve"},
        {"add", kUninstallKey, "/v", "n", "/t", "REG_DWORD", "/d", "4294967296"},
        {"add", kUninstallKey, "/v", "n", "/t", "REG_DWORD"},
        {"add", kUninstallKey, "/d", "x"},
        {"add", kUninstallKey, "/bogus"},
        {"delete", "HKLM", "/f"},
        {"query", kUninstallKey},
        {"delete", kUninstallKey, "/f"},
    };
    for (const auto& arguments : cases) {
        const Result result = Run(arguments);
        EXPECT_EQ(result.code, 1) << (arguments.empty() ? "" : arguments[0]);
        EXPECT_NE(result.err.find("mss-reg: "), std::string::npos);
    }
    EXPECT_NE(Run({"query", "HKLM"}).out.find("HKEY_LOCAL_MACHINE"), std::string::npos);
    EXPECT_EQ(Run({"query", "HKLM\\SOFTWARE"}).code, 1) << "no key was created on the way";
}

TEST_F(RegToolTest, QueryShowsValuesAndSubKeys) {
    Run({"add", kUninstallKey, "/v", "DisplayVersion", "/d", "1.0.1.2"});
    Run({"add", kUninstallKey, "/v", "NoModify", "/t", "REG_DWORD", "/d", "1"});
    Run({"add", kUninstallKey + "\\Sub", "/v", "Inner", "/d", "x"});

    Result result = Run({"query", kUninstallKey});
    ASSERT_EQ(result.code, 0) << result.err;
    const std::string full =
        "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Serac Studio";
    EXPECT_EQ(result.out, "\n" + full + "\n    DisplayVersion    REG_SZ    1.0.1.2\n    NoModify    REG_DWORD    0x1\n\n" +
                              full + "\\Sub\n");

    result = Run({"query", kUninstallKey, "/v", "nomodify"});
    EXPECT_EQ(result.out, "\n" + full + "\n    NoModify    REG_DWORD    0x1\n");
    EXPECT_EQ(Run({"query", kUninstallKey, "/v", "Absent"}).code, 1);

    result = Run({"query", kUninstallKey, "/s"});
    EXPECT_NE(result.out.find(full + "\\Sub\n    Inner    REG_SZ    x\n"), std::string::npos) << result.out;
    EXPECT_EQ(Run({"query", kUninstallKey, "/reg:64"}).code, 1);
}

TEST_F(RegToolTest, OverwritingAndDeletingAskUnlessForced) {
    Run({"add", kUninstallKey, "/v", "Version", "/d", "1"});
    const struct {
        std::vector<std::string> arguments;
        std::string answer;
        int code;
        std::string version;  // afterwards; "-" when the value is gone
    } steps[] = {
        {{"add", kUninstallKey, "/v", "Version", "/d", "2"}, "no\n", 1, "1"},
        {{"add", kUninstallKey, "/v", "Version", "/d", "2"}, "", 1, "1"},  // no answer at all
        {{"add", kUninstallKey, "/v", "Version", "/d", "2"}, "yes\n", 0, "2"},
        {{"add", kUninstallKey, "/v", "Version", "/d", "3", "/f"}, "", 0, "3"},
        {{"delete", kUninstallKey, "/v", "Version"}, "n\n", 1, "3"},
        {{"delete", kUninstallKey, "/v", "Version"}, "Y\n", 0, "-"},
    };
    const std::string path = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Serac Studio";
    for (const auto& step : steps) {
        EXPECT_EQ(Run(step.arguments, step.answer).code, step.code) << step.arguments[0] << " " << step.answer;
        RegValue value;
        const bool present = Read(RegistryRoot::kLocalMachine, RegistryView::k32, path, "Version", value);
        EXPECT_EQ(present ? value.text : "-", step.version);
    }
    EXPECT_EQ(Run({"delete", kUninstallKey}, "\n").code, 1);
    EXPECT_EQ(Run({"query", kUninstallKey}).code, 0);
}

TEST_F(RegToolTest, ExportWritesTheKeyTreeAsText) {
    Run({"add", kUninstallKey, "/v", "UninstallString", "/d", "\"/opt/Serac Studio/uninstall.exe\""});
    Run({"add", kUninstallKey, "/v", "sEstimatedSize2", "/t", "REG_DWORD", "/d", "229986"});
    Run({"add", kUninstallKey, "/ve", "/d", "default"});
    Run({"add", kUninstallKey + "\\Child", "/v", "Path", "/d", "a\\b"});
    const Result result = Run({"export", kUninstallKey});
    ASSERT_EQ(result.code, 0) << result.err;
    const std::string full =
        "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Serac Studio";
    const std::string body = "\n[" + full + "]\n\"UninstallString\"=\"\\\"/opt/Serac Studio/uninstall.exe\\\"\"\n" +
                             "\"sEstimatedSize2\"=dword:00038262\n@=\"default\"\n\n[" + full +
                             "\\Child]\n\"Path\"=\"a\\\\b\"\n";
    ASSERT_GE(result.out.size(), body.size());
    EXPECT_EQ(result.out.substr(result.out.size() - body.size()), body) << result.out;
    EXPECT_EQ(result.out.rfind("; mss-reg export, 32-bit view", 0), 0u);
}

// The uninstaller's exact command removes the whole entry, and nothing else.
TEST_F(RegToolTest, TheUninstallersDeleteCommandRemovesTheEntry) {
    Run({"add", kUninstallKey, "/v", "DisplayName", "/d", "x"});
    Run({"add", kUninstallKey + "\\Nested", "/v", "v", "/d", "y"});
    Run({"add", "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Other", "/v", "DisplayName",
         "/d", "other"});

    std::vector<std::string> environment;
    for (const char* name : {"HOME", "MSS_ROOT_PREFIX", "PATH"}) {
        const char* value = std::getenv(name);
        if (value) environment.push_back(std::string(name) + "=" + value);
    }
    EXPECT_EQ(RunProgram(MSS_REG_BINARY, {"delete", kUninstallKey, "/f"}, environment), 0);
    EXPECT_EQ(RunProgram(MSS_REG_BINARY, {"query", kUninstallKey}, environment), 1);
    EXPECT_EQ(RunProgram(MSS_REG_BINARY, {"delete", kUninstallKey, "/f"}, environment), 1);

    RegValue value;
    EXPECT_TRUE(Read(RegistryRoot::kLocalMachine, RegistryView::k32,
                     "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Other", "DisplayName", value));
}

}  // namespace
