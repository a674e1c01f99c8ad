#include "SilentHold.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>

namespace mirror {

namespace {

// How often the hold looks at the stop signal while it waits for a hang-up.
constexpr int kPollMilliseconds = 100;

bool SameEndpoint(const sockaddr_in& address, const std::string& ip, int port) {
    char text[INET_ADDRSTRLEN] = {};
    return address.sin_family == AF_INET && ntohs(address.sin_port) == port &&
           inet_ntop(AF_INET, &address.sin_addr, text, sizeof text) != nullptr && ip == text;
}

}  // namespace

int SilentHold::FindConnection(const httplib::Request& request) {
    DIR* folder = opendir("/proc/self/fd");
    if (folder == nullptr) {
        return -1;
    }
    int found = -1;
    while (const dirent* entry = readdir(folder)) {
        char* end = nullptr;
        const long fd = std::strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0' || fd == dirfd(folder)) {
            continue;
        }
        // Other connections' sockets may close meanwhile and their numbers be
        // reused; that only makes them fail to match. Ours stays open, since
        // the library closes it only after this handler returns.
        struct stat info {};
        if (fstat(static_cast<int>(fd), &info) != 0 || !S_ISSOCK(info.st_mode)) {
            continue;
        }
        sockaddr_in local{};
        sockaddr_in peer{};
        socklen_t localSize = sizeof local;
        socklen_t peerSize = sizeof peer;
        if (getsockname(static_cast<int>(fd), reinterpret_cast<sockaddr*>(&local), &localSize) == 0 &&
            getpeername(static_cast<int>(fd), reinterpret_cast<sockaddr*>(&peer), &peerSize) == 0 &&
            SameEndpoint(local, request.local_addr, request.local_port) &&
            SameEndpoint(peer, request.remote_addr, request.remote_port)) {
            found = static_cast<int>(fd);
            break;
        }
    }
    closedir(folder);
    return found;
}

bool SilentHold::Hold(const httplib::Request& request, const StopSignal& stop,
                      std::chrono::steady_clock::duration limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    const int fd = FindConnection(request);
    if (fd < 0) {
        stop.WaitUntil(deadline);
        return false;
    }
    while (!stop.IsRaised() && std::chrono::steady_clock::now() < deadline) {
        pollfd watch{fd, POLLRDHUP, 0};
        if (poll(&watch, 1, kPollMilliseconds) > 0 && (watch.revents & (POLLRDHUP | POLLHUP | POLLERR))) {
            break;
        }
    }
    shutdown(fd, SHUT_RDWR);
    return true;
}

}  // namespace mirror
