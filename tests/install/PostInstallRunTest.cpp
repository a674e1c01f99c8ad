#include "install/PostInstallRun.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/ChildProcess.h"
#include "support/LogCapture.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

// A copy of this test program stands in for the product: started with
// MSS_FAKE_PRODUCT set, it records its arguments and id, sleeps and exits
// with the code asked for, before any test runs.
constexpr const char* kFakeProductVariable = "MSS_FAKE_PRODUCT";

int ActAsFakeProduct() {
    const char* request = std::getenv(kFakeProductVariable);
    if (request == nullptr) {
        return 0;
    }
    // "<exit code> <sleep ms> <record file>"
    std::istringstream fields(request);
    int exitCode = 0;
    int sleepMs = 0;
    std::string record;
    fields >> exitCode >> sleepMs;
    std::getline(fields >> std::ws, record);
    if (!record.empty()) {
        std::ifstream cmdline("/proc/self/cmdline", std::ios::binary);
        std::string arguments((std::istreambuf_iterator<char>(cmdline)), std::istreambuf_iterator<char>());
        std::ofstream out(record + ".tmp", std::ios::binary);
        out << getpid() << '\n' << arguments;
        out.close();
        std::rename((record + ".tmp").c_str(), record.c_str());
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(sleepMs));
    _exit(exitCode);
}

const int kFakeProduct = ActAsFakeProduct();

std::string WaitForFile(const std::string& path, int timeoutMs = 5000) {
    for (int waited = 0; waited < timeoutMs; waited += 10) {
        const std::string text = TempDir::ReadFile(path);
        if (!text.empty()) return text;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return TempDir::ReadFile(path);
}

class PostInstallRunTest : public ::testing::Test {
protected:
    // The product's file name: unique to this test run, so that no other
    // program on the machine keeps a wait going, and with blanks in it.
    const std::string programName_ = "Fake Product " + std::to_string(getpid()) + ".exe";

    // Installs the fake product into a folder under the temporary folder.
    std::string Install(const std::string& folder) {
        const std::string installFolder = dir_.Path(folder);
        fs::create_directories(installFolder);
        fs::copy_file("/proc/self/exe", installFolder + "/" + programName_, fs::copy_options::overwrite_existing);
        fs::permissions(installFolder + "/" + programName_, fs::perms::owner_all);
        return installFolder;
    }

    static std::string RunLine(int exitCode, int waitCount) {
        return "Run main exe install : ExitCode(" + std::to_string(exitCode) + "), nWaitCount(" +
               std::to_string(waitCount) + ").\n";
    }

    TempDir dir_;
};

TEST(InstallCommandLine, PiecesComeInOrderEachOnlyWhenItApplies) {
    const std::string id = "0123456789abcdef0123456789abcdef";
    const struct {
        InstallRunOptions options;
        bool newInstall;
        std::string line;
    } cases[] = {
        {{}, false, "/install"},
        {{true, id, "serac_x64_full", "web_ads", 42}, true,
         "/install /add_plan /ID:" + id + " /new  /option:serac_x64_full /source:web_ads /time:42 "},
        {{false, id, "", "", 0}, false, "/install /ID:" + id},
        {{false, "", "", "", 0}, true, "/install /new "},
        {{false, "", "opt", "", 0}, true, "/install /new  /option:opt"},
        {{false, "", "", "src", 0}, false, "/install /source:src"},
        {{true, "", "", "", 7}, false, "/install /add_plan /time:7 "},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BuildInstallCommandLine(c.options, c.newInstall), c.line);
    }
}

TEST_F(PostInstallRunTest, AMissingProgramIsReportedAndNothingRuns) {
    LogCapture log;
    fs::create_directories(dir_.Path("empty"));
    EXPECT_FALSE(RunMainExe(dir_.Path("empty"), programName_, true, {}));
    EXPECT_FALSE(RunMainExe("", programName_, true, {}));
    EXPECT_TRUE(log.Contains("Run MainExe.exe /install"));
    EXPECT_TRUE(log.Contains("Run exe failed. main exe con't found\n."));
    EXPECT_FALSE(log.Contains("Run Install Params: /install /new .\n"));
}

TEST_F(PostInstallRunTest, AProgramThatCannotStartStillCountsAsFound) {
    LogCapture log;
    dir_.WriteFile("broken/" + programName_, "not a program");
    EXPECT_TRUE(RunMainExe(dir_.Path("broken"), programName_, false, {}));
    EXPECT_TRUE(log.Contains("Run Install Params: /install.\n"));
    for (const std::string& line : log.lines()) {
        EXPECT_EQ(line.find("Run main exe install"), std::string::npos) << line;
    }
}

TEST_F(PostInstallRunTest, TheProductGetsTheCommandLineAndItsExitCodeIsLogged) {
    const std::string folder = Install("Serac Studio");
    const std::string record = dir_.Path("record");
    ScopedEnv fake(kFakeProductVariable, "7 0 " + record);
    LogCapture log;
    InstallRunOptions options;
    options.installId = "abc";
    options.optionTag = "serac_x64_full";
    options.downloadSeconds = 42;
    options.pollLimit = 100;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(RunMainExe(folder, programName_, true, options));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(8));

    EXPECT_TRUE(log.Contains("Run Install Params: /install /ID:abc /new  /option:serac_x64_full /time:42 .\n"));
    bool logged = false;
    for (const std::string& line : log.lines()) {
        logged = logged || (line.rfind("Run main exe install : ExitCode(7), nWaitCount(", 0) == 0);
    }
    EXPECT_TRUE(logged);

    const std::string recorded = TempDir::ReadFile(record);
    const std::string arguments = recorded.substr(recorded.find('\n') + 1);
    const std::string expected = folder + "/" + programName_ + std::string(1, '\0') + "/install" +
                                 std::string(1, '\0') + "/ID:abc" + std::string(1, '\0') + "/new" +
                                 std::string(1, '\0') + "/option:serac_x64_full" + std::string(1, '\0') + "/time:42" +
                                 std::string(1, '\0');
    EXPECT_EQ(arguments, expected);
}

TEST_F(PostInstallRunTest, ARunThatOutlivesThePollLimitIsEnded) {
    const std::string folder = Install("Serac Studio");
    const std::string record = dir_.Path("record");
    ScopedEnv fake(kFakeProductVariable, "0 30000 " + record);
    LogCapture log;
    InstallRunOptions options;
    options.pollLimit = 3;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(RunMainExe(folder, programName_, false, options));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_TRUE(log.Contains(RunLine(0, 3)));

    const pid_t pid = static_cast<pid_t>(std::stol(WaitForFile(record)));
    errno = 0;
    EXPECT_EQ(kill(pid, 0), -1) << "the started run was ended and reaped";
    EXPECT_EQ(errno, ESRCH);
}

// Another instance of the product keeps the wait going to the limit; the
// started run, which ended early, is not signalled, and the other instance
// is left alone.
TEST_F(PostInstallRunTest, AnotherInstanceKeepsTheWaitGoingToTheLimit) {
    const std::string other = Install("Other Copy");
    platform::ChildProcess otherInstance;
    {
        ScopedEnv fake(kFakeProductVariable, "0 20000 ");
        int error = 0;
        ASSERT_TRUE(otherInstance.Start(other + "/" + programName_, {}, std::string(), error));
    }
    const std::string folder = Install("Serac Studio");
    ScopedEnv fake(kFakeProductVariable, "5 0 ");
    LogCapture log;
    InstallRunOptions options;
    options.pollLimit = 6;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(RunMainExe(folder, programName_, false, options));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(600));
    EXPECT_TRUE(log.Contains(RunLine(0, 6)));
    EXPECT_FALSE(otherInstance.HasExited());
    otherInstance.Kill();
}

TEST_F(PostInstallRunTest, TheWaitEndsWhenNoInstanceIsLeft) {
    const std::string folder = Install("Serac Studio");
    ScopedEnv fake(kFakeProductVariable, "0 300 ");
    LogCapture log;
    InstallRunOptions options;
    options.pollLimit = 200;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(RunMainExe(folder, programName_, false, options));
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::milliseconds(300));
    EXPECT_LT(elapsed, std::chrono::seconds(10));
    bool logged = false;
    for (const std::string& line : log.lines()) {
        if (line.rfind("Run main exe install : ExitCode(0), nWaitCount(", 0) == 0) {
            logged = true;
            EXPECT_NE(line, RunLine(0, 200)) << "the wait ended before the limit";
        }
    }
    EXPECT_TRUE(logged);
}

class RunAsDesktopUserTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The unprivileged user must reach and write the folder.
        ASSERT_EQ(chmod(dir_.path().c_str(), 0777), 0);
    }

    // Parameters for /bin/sh that write the ids and home of the user it runs as.
    std::string WriteIdsParameters() const {
        return "-c \"echo $(id -u) $(id -g) $HOME > '" + out_ + "'\"";
    }

    TempDir dir_;
    const std::string out_ = dir_.Path("ids");
    ScopedEnv sudoUid_{"SUDO_UID", std::nullopt};
    ScopedEnv sudoGid_{"SUDO_GID", std::nullopt};
    ScopedEnv pkexecUid_{"PKEXEC_UID", std::nullopt};
};

TEST_F(RunAsDesktopUserTest, AsRootWithoutAKnownUserNothingStarts) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root";
    }
    EXPECT_FALSE(RunAsDesktopUser("/bin/sh", WriteIdsParameters(), dir_.path(), 1));
    ScopedEnv rootSudo("SUDO_UID", "0");
    EXPECT_FALSE(RunAsDesktopUser("/bin/sh", WriteIdsParameters(), dir_.path(), 1));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(fs::exists(out_));
}

TEST_F(RunAsDesktopUserTest, AsRootTheProductRunsAsTheInvokingUser) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root";
    }
    ScopedEnv sudoUid("SUDO_UID", "65534");
    ScopedEnv sudoGid("SUDO_GID", "65534");
    ASSERT_TRUE(RunAsDesktopUser("/bin/sh", WriteIdsParameters(), dir_.path(), 1));
    EXPECT_EQ(WaitForFile(out_), "65534 65534 /nonexistent\n");
}

// A process that is not root starts the program directly, with its own rights.
TEST_F(RunAsDesktopUserTest, WithoutRootTheProgramStartsDirectly) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
            _exit(2);
        }
        _exit(RunAsDesktopUser("/bin/sh", WriteIdsParameters(), dir_.path(), 1) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
    const std::string ids = WaitForFile(out_);
    if (geteuid() == 0) {
        EXPECT_EQ(ids.substr(0, 12), "65534 65534 ");
    } else {
        EXPECT_EQ(ids.substr(0, ids.find(' ')), std::to_string(geteuid()));
    }
}

}  // namespace
