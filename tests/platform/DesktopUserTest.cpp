#include "platform/DesktopUser.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <thread>

#include "support/ScopedEnv.h"
#include "support/TempDir.h"

using namespace platform;

namespace {

constexpr uid_t kNobody = 65534;

struct InvokerEnvironment {
    explicit InvokerEnvironment(std::optional<std::string> sudoUid, std::optional<std::string> sudoGid,
                                std::optional<std::string> pkexecUid)
        : sudoUid_("SUDO_UID", sudoUid), sudoGid_("SUDO_GID", sudoGid), pkexecUid_("PKEXEC_UID", pkexecUid) {}
    ScopedEnv sudoUid_, sudoGid_, pkexecUid_;
};

TEST(DesktopUser, TheInvokingUserComesFromSudoOrPkexec) {
    const std::optional<std::string> none;
    const struct {
        std::optional<std::string> sudoUid, sudoGid, pkexecUid;
        bool found;
        uid_t uid;
        gid_t gid;
    } cases[] = {
        {"1000", "1001", none, true, 1000, 1001},
        {"65534", none, none, true, 65534, 65534},  // the group from the user database
        {none, none, "65534", true, 65534, 65534},
        {"1000", "1000", "2000", true, 1000, 1000},  // sudo comes first
        {none, none, none, false, 0, 0},
        {"0", "0", none, false, 0, 0},               // root is never the desktop user
        {none, none, "0", false, 0, 0},
        {"12x", "1000", none, false, 0, 0},
        {"", "1000", none, false, 0, 0},
        {"-5", "1000", none, false, 0, 0},
        {"4294967295", "1000", none, false, 0, 0},   // the "no user" id
        {none, none, "3999999", false, 0, 0},         // no such user: its group is unknown
    };
    for (const auto& c : cases) {
        InvokerEnvironment env(c.sudoUid, c.sudoGid, c.pkexecUid);
        const std::optional<DesktopUser> user = FindInvokingUser();
        ASSERT_EQ(user.has_value(), c.found) << c.sudoUid.value_or("-") << " " << c.pkexecUid.value_or("-");
        if (user) {
            EXPECT_EQ(user->uid, c.uid);
            EXPECT_EQ(user->gid, c.gid);
        }
    }
}

std::string WaitForFile(const std::string& path) {
    for (int i = 0; i < 500; ++i) {
        const std::string text = TempDir::ReadFile(path);
        if (!text.empty() && text.back() == '\n') {
            return text;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return TempDir::ReadFile(path);
}

TEST(DesktopUser, LaunchDetachedRunsTheProgramWithoutLeavingAChild) {
    TempDir dir;
    int error = -1;
    ASSERT_TRUE(LaunchDetached("/bin/sh", {"-c", "printf '%s %s\\n' \"$PWD\" \"$0\" > out", "arg zero"}, dir.path(),
                               std::nullopt, error));
    EXPECT_EQ(error, 0);
    EXPECT_EQ(WaitForFile(dir.Path("out")), dir.path() + " arg zero\n");
    // The program was started by a grandchild; nothing is left for us to reap.
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

TEST(DesktopUser, LaunchDetachedReportsWhatKeptTheProgramFromStarting) {
    TempDir dir;
    const struct {
        std::string program;
        std::string folder;
        int error;
    } cases[] = {
        {dir.Path("missing"), std::string(), ENOENT},
        {"/bin/sh", dir.Path("no-folder"), ENOENT},
    };
    for (const auto& c : cases) {
        int error = 0;
        EXPECT_FALSE(LaunchDetached(c.program, {"-c", "touch " + dir.Path("ran")}, c.folder, std::nullopt, error));
        EXPECT_EQ(error, c.error);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(std::ifstream(dir.Path("ran")).good());
}

// Run as root: the program must run with the user's ids and home, never as root.
TEST(DesktopUser, LaunchDetachedDropsToTheGivenUser) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "dropping to another user needs root";
    }
    TempDir dir;
    // The unprivileged user must be able to reach the folder and write into it.
    ASSERT_EQ(chmod(dir.path().c_str(), 0777), 0);
    const std::string out = dir.Path("ids");
    int error = 0;
    ASSERT_TRUE(LaunchDetached("/bin/sh", {"-c", "echo \"$(id -u) $(id -g) $(id -G) $HOME $USER\" > " + out},
                               dir.path(), DesktopUser{kNobody, kNobody}, error))
        << "error " << error;
    const std::string ids = WaitForFile(out);
    EXPECT_EQ(ids, "65534 65534 65534 /nonexistent nobody\n");
    struct stat info {};
    ASSERT_EQ(stat(out.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, kNobody);
}

}  // namespace
