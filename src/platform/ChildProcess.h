// A program started by this process and kept as its child: polled for its
// end, waited for with a bound, and ended by force when needed. The child's
// id stays ours until we reap it, so a signal sent before the reap can only
// reach this child; after the reap no signal is ever sent.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace platform {

class ChildProcess {
public:
    // Sends a signal to a process id; ::kill unless a test watches the calls.
    using SignalSender = std::function<int(pid_t pid, int signal)>;

    ChildProcess();
    explicit ChildProcess(SignalSender sender);
    // A child still running is left running; it is not waited for.
    ~ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts the program (a path, not searched) with the arguments after the
    // program name, in the working folder when one is given, with this
    // process's environment. False with an errno value when it cannot start,
    // including when the program cannot be executed.
    bool Start(const std::string& program, const std::vector<std::string>& arguments,
               const std::string& workingFolder, int& error);

    bool IsStarted() const { return pid_ > 0; }
    pid_t GetPid() const { return pid_; }

    // Reaps the child when it has ended, without blocking. True once it has
    // ended (also after an earlier call saw the end).
    bool HasExited();
    // Polls every 10 ms for at most timeoutMs; true when the child ended.
    bool WaitFor(std::uint32_t timeoutMs);
    // Ends a child that has not been reaped yet with SIGKILL and reaps it;
    // does nothing once the child has been reaped.
    void Kill();

    // The exit status once ended: the exit code, or 128 + the signal number
    // for a child ended by a signal; -1 when unknown.
    int GetExitCode() const { return exitCode_; }

private:
    void Reaped(int status);

    SignalSender signalSender_;
    pid_t pid_ = -1;
    bool reaped_ = false;
    int exitCode_ = -1;
};

// The full path of a program found in the folders of PATH; empty when none.
std::string FindProgramInPath(const std::string& name);

}  // namespace platform
