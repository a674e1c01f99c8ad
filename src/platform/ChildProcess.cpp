#include "platform/ChildProcess.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <signal.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/Environment.h"

extern char** environ;

namespace platform {

ChildProcess::ChildProcess() : signalSender_([](pid_t pid, int signal) { return ::kill(pid, signal); }) {}

ChildProcess::ChildProcess(SignalSender sender) : signalSender_(std::move(sender)) {}

bool ChildProcess::Start(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& workingFolder, int& error) {
    if (IsStarted() && !reaped_) {
        error = EBUSY;
        return false;
    }
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!workingFolder.empty()) {
        posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());
    }
    // The child gets a clean signal mask whatever this thread blocks.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);

    pid_t pid = -1;
    const int rc = posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        error = rc;
        return false;
    }
    pid_ = pid;
    reaped_ = false;
    exitCode_ = -1;
    error = 0;
    return true;
}

void ChildProcess::Reaped(int status) {
    reaped_ = true;
    if (WIFEXITED(status)) {
        exitCode_ = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        exitCode_ = 128 + WTERMSIG(status);
    }
}

bool ChildProcess::HasExited() {
    if (!IsStarted() || reaped_) {
        return true;
    }
    int status = 0;
    pid_t rc = 0;
    do {
        rc = ::waitpid(pid_, &status, WNOHANG);
    } while (rc < 0 && errno == EINTR);
    if (rc == pid_) {
        Reaped(status);
        return true;
    }
    if (rc < 0) {
        // Not our child any more (reaped elsewhere): it must never be signalled.
        reaped_ = true;
        return true;
    }
    return false;
}

bool ChildProcess::WaitFor(std::uint32_t timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!HasExited()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

void ChildProcess::Kill() {
    if (HasExited()) {
        return;
    }
    // Not reaped yet, so the id still names our child (a zombie at worst).
    signalSender_(pid_, SIGKILL);
    int status = 0;
    pid_t rc = 0;
    do {
        rc = ::waitpid(pid_, &status, 0);
    } while (rc < 0 && errno == EINTR);
    if (rc == pid_) {
        Reaped(status);
    } else {
        reaped_ = true;
    }
}

std::string FindProgramInPath(const std::string& name) {
    const std::string path = GetEnv("PATH");
    std::size_t begin = 0;
    while (begin <= path.size()) {
        std::size_t end = path.find(':', begin);
        if (end == std::string::npos) {
            end = path.size();
        }
        const std::string folder = path.substr(begin, end - begin);
        if (!folder.empty() && folder.front() == '/') {
            const std::string candidate = folder + "/" + name;
            if (::access(candidate.c_str(), X_OK) == 0) {
                return candidate;
            }
        }
        begin = end + 1;
    }
    return std::string();
}

}  // namespace platform
