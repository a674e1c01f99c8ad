// mss-mirror: one local HTTP mirror. See MirrorCommandLine::Usage for the
// command line.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "AccessLog.h"
#include "FileSource.h"
#include "MirrorCommandLine.h"
#include "MirrorHttpServer.h"
#include "StopSignal.h"

namespace {

// After a stop request the server gets this long to close its connections;
// a client that stopped reading can keep a worker in a blocking send, and a
// launcher must never wait on that.
constexpr auto kShutdownGrace = std::chrono::seconds(3);
constexpr int kForcedStopStatus = 3;

// Blocks SIGTERM, SIGINT and SIGHUP in every thread (threads inherit the mask)
// and returns a descriptor that reports them; -1 on failure.
int BlockStopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGHUP);
    if (pthread_sigmask(SIG_BLOCK, &signals, nullptr) != 0) {
        return -1;
    }
    return signalfd(-1, &signals, SFD_CLOEXEC);
}

enum class StopReason { Requested, ServingEnded };

// Waits until a stop signal arrives, standard input ends (when watched) or the
// serving thread reports on `servingEnded` that it stopped by itself.
StopReason WaitForStopRequest(int signalFd, int servingEnded, bool watchStdin) {
    for (;;) {
        pollfd watch[3] = {{signalFd, POLLIN, 0}, {servingEnded, POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
        const nfds_t count = watchStdin ? 3 : 2;
        if (poll(watch, count, -1) < 0) {
            continue;  // EINTR
        }
        if (watch[0].revents != 0) {
            return StopReason::Requested;
        }
        if (watch[1].revents != 0) {
            return StopReason::ServingEnded;
        }
        if (watchStdin && watch[2].revents != 0) {
            char discard[256];
            if (read(STDIN_FILENO, discard, sizeof discard) <= 0) {
                return StopReason::Requested;  // end of file or a broken pipe: the launcher is gone
            }
        }
    }
}

int Fail(const std::string& message, int code) {
    std::fprintf(stderr, "mss-mirror: %s\n", message.c_str());
    return code;
}

}  // namespace

int main(int argc, char** argv) {
    using mirror::MirrorCommandLine;
    // A client that hangs up mid-body must cost one failed send, not the process.
    signal(SIGPIPE, SIG_IGN);

    mirror::MirrorSettings settings;
    std::string error;
    const auto outcome =
        MirrorCommandLine::Parse(std::vector<std::string>(argv + 1, argv + argc), settings, error);
    if (outcome == MirrorCommandLine::Outcome::Help) {
        std::fputs(MirrorCommandLine::Usage().c_str(), stdout);
        return 0;
    }
    if (outcome == MirrorCommandLine::Outcome::Error) {
        return Fail(error + " (see --help)", 2);
    }

    mirror::FileSource file;
    if (!file.Open(settings.file, error)) {
        return Fail(error, 1);
    }
    mirror::AccessLog log;
    if (!settings.accessLog.empty() && !log.Open(settings.accessLog, error)) {
        return Fail(error, 1);
    }
    const int signalFd = BlockStopSignals();
    if (signalFd < 0) {
        return Fail("cannot watch the stop signals", 1);
    }

    mirror::StopSignal stop;
    mirror::MirrorHttpServer server(settings, file, log, stop);
    const int port = server.Bind();
    if (port < 0) {
        return Fail("cannot listen on " + settings.address + ":" + std::to_string(settings.port), 1);
    }
    std::printf("listening http://%s:%d\n", settings.address.c_str(), port);
    std::fflush(stdout);

    int servingEnded[2];
    if (pipe2(servingEnded, O_CLOEXEC) != 0) {
        return Fail("cannot create a pipe", 1);
    }
    std::mutex doneMutex;
    std::condition_variable doneChanged;
    bool done = false;
    std::thread serving([&] {
        server.Serve();
        {
            std::lock_guard<std::mutex> lock(doneMutex);
            done = true;
        }
        doneChanged.notify_all();
        const char byte = 0;
        [[maybe_unused]] const ssize_t ignored = write(servingEnded[1], &byte, 1);
    });

    if (WaitForStopRequest(signalFd, servingEnded[0], settings.watchStdin) == StopReason::ServingEnded) {
        serving.join();
        return Fail("the server stopped accepting connections", 1);
    }
    stop.Raise();
    const auto deadline = std::chrono::steady_clock::now() + kShutdownGrace;
    {
        std::unique_lock<std::mutex> lock(doneMutex);
        // The library's stop only ends an accept loop that has begun; a stop
        // request right after the start can come before it.
        while (!done && !server.IsServing() && std::chrono::steady_clock::now() < deadline) {
            doneChanged.wait_for(lock, std::chrono::milliseconds(10));
        }
        if (!done) {
            server.Stop();
        }
        if (!doneChanged.wait_until(lock, deadline, [&] { return done; })) {
            // Most likely a worker blocked in a send to a client that stopped
            // reading. Leaving without it is safe; the status tells a launcher
            // that the stop was not a clean one.
            std::fprintf(stderr, "mss-mirror: connections still busy after the stop; leaving anyway\n");
            std::fflush(stdout);
            _exit(kForcedStopStatus);
        }
    }
    serving.join();
    return 0;
}
