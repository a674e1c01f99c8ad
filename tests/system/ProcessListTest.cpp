#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <vector>

#include "support/RunProgram.h"
#include "support/TempDir.h"
#include "system/ProcessList.h"

namespace {

// Child processes running a copy of sleep under a chosen file name; every
// child still running is killed and reaped at the end.
class NamedChildren {
public:
    ~NamedChildren() {
        for (const pid_t id : running_) {
            kill(id, SIGKILL);
            waitpid(id, nullptr, 0);
        }
    }

    std::string MakeProgram(const std::string& fileName) {
        const std::string path = dir_.WriteFile(fileName, TempDir::ReadFile("/bin/sleep"));
        chmod(path.c_str(), 0755);
        return path;
    }

    pid_t Start(const std::string& program) {
        char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>("60"), nullptr};
        pid_t id = 0;
        EXPECT_EQ(posix_spawn(&id, program.c_str(), nullptr, nullptr, argv, environ), 0);
        running_.push_back(id);
        // The name is the new program's only once the child has executed it.
        for (int i = 0; i < 200 && GetProcessFileName(id) != Base(program); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return id;
    }

    // Waits for a child; its end signal, or 0 when it ended otherwise.
    int Reap(pid_t id) {
        int status = 0;
        waitpid(id, &status, 0);
        std::erase(running_, id);
        return WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    }

    const TempDir& dir() const { return dir_; }

private:
    static std::string Base(const std::string& path) { return path.substr(path.rfind('/') + 1); }

    TempDir dir_;
    std::vector<pid_t> running_;
};

TEST(ProcessList, FindsTheFirstOfSeveralInstancesIgnoringCase) {
    NamedChildren children;
    const std::string program = children.MakeProgram("Mirvak Serac Studio.exe");
    const pid_t first = children.Start(program);
    const pid_t second = children.Start(program);
    ASSERT_LT(first, second) << "ids were recycled; the order below would not hold";

    for (const char* name : {"Mirvak Serac Studio.exe", "mirvak serac studio.EXE"}) {
        pid_t found = 0;
        EXPECT_TRUE(FindProcessByName(name, found)) << name;
        EXPECT_EQ(found, first) << name;
    }
    pid_t found = 0;
    for (const char* name : {"Mirvak Serac Studio", "Serac Studio.exe", ""}) {
        EXPECT_FALSE(FindProcessByName(name, found)) << name;
    }
}

TEST(ProcessList, TerminateEndsOnlyTheFirstMatch) {
    NamedChildren children;
    const std::string program = children.MakeProgram("LiveUpdate.exe");
    const pid_t first = children.Start(program);
    const pid_t second = children.Start(program);

    EXPECT_TRUE(TerminateProcessByName("liveupdate.exe"));
    EXPECT_EQ(children.Reap(first), SIGKILL);
    pid_t found = 0;
    ASSERT_TRUE(FindProcessByName("LiveUpdate.exe", found));
    EXPECT_EQ(found, second);

    EXPECT_TRUE(TerminateProcessByName("LiveUpdate.exe"));
    EXPECT_EQ(children.Reap(second), SIGKILL);
    EXPECT_FALSE(TerminateProcessByName("LiveUpdate.exe"));
    EXPECT_FALSE(FindProcessByName("LiveUpdate.exe", found));
}

TEST(ProcessList, AProgramWhoseFileWasDeletedKeepsItsName) {
    NamedChildren children;
    const std::string program = children.MakeProgram("VekCore.exe");
    const pid_t id = children.Start(program);
    ASSERT_EQ(unlink(program.c_str()), 0);  // an install folder emptied under a running product

    pid_t found = 0;
    EXPECT_TRUE(FindProcessByName("VekCore.exe", found));
    EXPECT_EQ(found, id);
    EXPECT_TRUE(TerminateProcessByName("VekCore.exe"));
    EXPECT_EQ(children.Reap(id), SIGKILL);
}

// Runs in a copy of this test program under a name of its own (see the next
// test): asks to terminate its own name and must survive to report it.
TEST(ProcessList, DISABLED_ChildSideTerminatesOwnName) {
    const std::string self = GetProcessFileName(getpid());
    ASSERT_FALSE(TerminateProcessByName(self));
}

TEST(ProcessList, TheCallerIsNeverTerminated) {
    TempDir dir;
    const std::string copy = dir.WriteFile("mss-own-name-check.exe", TempDir::ReadFile("/proc/self/exe"));
    chmod(copy.c_str(), 0755);
    const int exitCode = RunProgram(copy,
                                    {"--gtest_also_run_disabled_tests",
                                     "--gtest_filter=ProcessList.DISABLED_ChildSideTerminatesOwnName"},
                                    {});
    EXPECT_EQ(exitCode, 0) << "-1 means the child was killed";
}

}  // namespace
