// mss-stats: the statistics service that receives the installer's usage
// reports on loopback. It prints one line
//   listening json_port=N upload_port=M cert=PATH
// on standard output once both ports are bound, then serves until SIGINT or
// SIGTERM (or the end of standard input with --exit-on-stdin-close).
#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "StatsOptions.h"
#include "StatsServer.h"

namespace {

// Waits for a stop signal, or for standard input to end when asked to.
void WaitForStop(bool watchStdin, const sigset_t& stopSignals) {
    const int signals = signalfd(-1, &stopSignals, SFD_CLOEXEC);
    for (;;) {
        pollfd watched[2] = {{signals, POLLIN, 0}, {watchStdin ? STDIN_FILENO : -1, POLLIN, 0}};
        if (poll(watched, 2, -1) < 0) continue;
        if (watched[0].revents != 0) break;
        if (watched[1].revents != 0) {
            char buffer[256];
            if (read(STDIN_FILENO, buffer, sizeof buffer) <= 0) break;
        }
    }
    if (signals >= 0) close(signals);
}

}  // namespace

int main(int argc, char** argv) {
    StatsOptions options;
    std::string error;
    if (!ParseStatsOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::fprintf(stderr, "mss-stats: %s\n%s", error.c_str(), kStatsUsage);
        return 2;
    }
    if (options.showHelp) {
        std::fputs(kStatsUsage, stdout);
        return 0;
    }

    // Blocked before any server thread exists, so that every thread leaves the
    // stop signals to the signalfd of the main thread.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    StatsServer server;
    if (!server.Start(options, error)) {
        std::fprintf(stderr, "mss-stats: %s\n", error.c_str());
        return 1;
    }
    std::printf("listening json_port=%d upload_port=%d cert=%s\n", server.jsonPort(), server.uploadPort(),
                server.certificate().certificatePath.c_str());
    std::fflush(stdout);
    std::fprintf(stderr,
                 "mss-stats: JSON endpoint https://%s:%d/api/common_json_post/\n"
                 "mss-stats: upload endpoint http://%s:%d/api/common_post/\n"
                 "mss-stats: reports at http://%s:%d/ (TLS clients trust %s)\n",
                 options.bindAddress.c_str(), server.jsonPort(), options.bindAddress.c_str(), server.uploadPort(),
                 options.bindAddress.c_str(), server.uploadPort(), server.certificate().certificatePath.c_str());

    WaitForStop(options.exitOnStdinClose, stopSignals);
    server.Stop();
    return 0;
}
