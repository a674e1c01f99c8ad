#include "platform/ChildProcess.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <cerrno>
#include <chrono>
#include <vector>

#include "support/ScopedEnv.h"
#include "support/TempDir.h"

using platform::ChildProcess;

namespace {

TEST(ChildProcess, ReportsTheExitCodeOnceTheChildHasEnded) {
    ChildProcess child;
    int error = -1;
    ASSERT_TRUE(child.Start("/bin/sh", {"-c", "exit 7"}, std::string(), error));
    EXPECT_EQ(error, 0);
    ASSERT_TRUE(child.WaitFor(10000));
    EXPECT_EQ(child.GetExitCode(), 7);
    EXPECT_TRUE(child.HasExited());
}

TEST(ChildProcess, RunsInTheWorkingFolderWithTheArgumentsAsGiven) {
    TempDir dir;
    ChildProcess child;
    int error = 0;
    ASSERT_TRUE(child.Start("/bin/sh", {"-c", "printf '%s|%s' \"$PWD\" \"$0\" > out", "two words"}, dir.path(),
                            error));
    ASSERT_TRUE(child.WaitFor(10000));
    EXPECT_EQ(TempDir::ReadFile(dir.Path("out")), dir.path() + "|two words");
}

TEST(ChildProcess, AProgramThatCannotRunIsAStartFailure) {
    TempDir dir;
    const std::string notExecutable = dir.WriteFile("plain.txt", "text");
    const struct {
        std::string program;
        std::string folder;
        int error;
    } cases[] = {
        {dir.Path("missing"), std::string(), ENOENT},
        {notExecutable, std::string(), EACCES},
        {"/bin/true", dir.Path("no-such-folder"), ENOENT},
    };
    for (const auto& c : cases) {
        ChildProcess child;
        int error = 0;
        EXPECT_FALSE(child.Start(c.program, {}, c.folder, error)) << c.program;
        EXPECT_EQ(error, c.error) << c.program;
        EXPECT_FALSE(child.IsStarted());
    }
}

TEST(ChildProcess, KillEndsARunningChildAndReapsIt) {
    ChildProcess child;
    int error = 0;
    ASSERT_TRUE(child.Start("/bin/sleep", {"30"}, std::string(), error));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(child.WaitFor(50));
    child.Kill();
    EXPECT_TRUE(child.HasExited());
    EXPECT_EQ(child.GetExitCode(), 128 + SIGKILL);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    // The id is free again: nothing of ours answers to it.
    EXPECT_EQ(::kill(child.GetPid(), 0) == 0 && ::waitpid(child.GetPid(), nullptr, WNOHANG) >= 0, false);
}

// Once the child has been reaped its id may belong to any new process, so no
// signal may be sent to it any more.
TEST(ChildProcess, NoSignalIsSentAfterTheChildWasReaped) {
    std::vector<std::pair<pid_t, int>> sent;
    ChildProcess child([&](pid_t pid, int signal) {
        sent.emplace_back(pid, signal);
        return ::kill(pid, signal);
    });
    int error = 0;
    ASSERT_TRUE(child.Start("/bin/true", {}, std::string(), error));
    ASSERT_TRUE(child.WaitFor(10000));
    child.Kill();
    child.Kill();
    EXPECT_TRUE(sent.empty());

    ChildProcess running([&](pid_t pid, int signal) {
        sent.emplace_back(pid, signal);
        return ::kill(pid, signal);
    });
    ASSERT_TRUE(running.Start("/bin/sleep", {"30"}, std::string(), error));
    running.Kill();
    running.Kill();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].first, running.GetPid());
    EXPECT_EQ(sent[0].second, SIGKILL);
}

TEST(ChildProcess, ProgramsAreFoundInThePathFolders) {
    TempDir dir;
    const std::string tool = dir.WriteFile("bin/mss-tool", "#!/bin/sh\n");
    ASSERT_EQ(::chmod(tool.c_str(), 0755), 0);
    dir.WriteFile("other/mss-plain", "not executable");
    ScopedEnv path("PATH", "relative/bin:" + dir.Path("other") + ":" + dir.Path("bin"));
    EXPECT_EQ(platform::FindProgramInPath("mss-tool"), tool);
    EXPECT_EQ(platform::FindProgramInPath("mss-plain"), "");
    EXPECT_EQ(platform::FindProgramInPath("mss-absent"), "");
}

}  // namespace
