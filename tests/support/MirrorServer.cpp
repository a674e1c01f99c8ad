#include "support/MirrorServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

extern char** environ;

namespace {

constexpr auto kStartLimit = std::chrono::seconds(10);
constexpr auto kStopLimit = std::chrono::seconds(5);
constexpr auto kReapPoll = std::chrono::milliseconds(10);
constexpr const char* kListeningPrefix = "listening http://";

using Clock = std::chrono::steady_clock;

std::string FormatSeconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", seconds);
    return text;
}

std::string BaseName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Waits until the child has exited, at most until `deadline`. Returns true
// with its wait status when it did.
bool ReapBefore(pid_t pid, Clock::time_point deadline, int& status) {
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR)) {
            return done == pid;
        }
        if (Clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(kReapPoll);
    }
}

std::string DescribeExit(int status) {
    if (WIFEXITED(status)) {
        return "exited with status " + std::to_string(WEXITSTATUS(status));
    }
    if (WIFSIGNALED(status)) {
        return "was killed by signal " + std::to_string(WTERMSIG(status));
    }
    return "ended";
}

}  // namespace

MirrorServer::~MirrorServer() {
    Stop();
}

MirrorServer::MirrorServer(MirrorServer&& other) noexcept {
    *this = std::move(other);
}

MirrorServer& MirrorServer::operator=(MirrorServer&& other) noexcept {
    if (this != &other) {
        Stop();
        pid_ = std::exchange(other.pid_, -1);
        input_ = std::exchange(other.input_, -1);
        output_ = std::exchange(other.output_, -1);
        address_ = std::move(other.address_);
        name_ = std::move(other.name_);
        port_ = std::exchange(other.port_, 0);
    }
    return *this;
}

std::string MirrorServer::BinaryPath() {
    if (const char* path = std::getenv("MSS_MIRROR_BINARY"); path != nullptr && *path != '\0') {
        return path;
    }
#ifdef MSS_MIRROR_BINARY
    return MSS_MIRROR_BINARY;
#else
    return {};
#endif
}

std::vector<std::string> MirrorServer::Arguments(const MirrorServerOptions& options) {
    std::vector<std::string> args = {"--address", options.address, "--port", std::to_string(options.port),
                                     "--file", options.file};
    if (!options.name.empty()) {
        args.insert(args.end(), {"--name", options.name});
    }
    if (options.flagText) {
        args.insert(args.end(), {"--flag-text", *options.flagText});
    }
    if (!options.accessLog.empty()) {
        args.insert(args.end(), {"--access-log", options.accessLog});
    }
    const MirrorServerFaults& faults = options.faults;
    if (faults.stallAfterBytes) {
        args.insert(args.end(), {"--stall-after", std::to_string(*faults.stallAfterBytes), "--stall-seconds",
                                 FormatSeconds(faults.stallSeconds)});
    }
    if (faults.closeAfterBytes) {
        args.insert(args.end(), {"--close-after", std::to_string(*faults.closeAfterBytes)});
    }
    for (const auto& [offset, length] : faults.corruptSpans) {
        args.insert(args.end(), {"--corrupt", std::to_string(offset) + ":" + std::to_string(length)});
    }
    if (faults.ignoreRange) {
        args.push_back("--ignore-range");
    }
    if (faults.status != 0) {
        args.insert(args.end(), {"--status", std::to_string(faults.status)});
    }
    if (faults.bytesPerSecond != 0) {
        args.insert(args.end(), {"--rate", std::to_string(faults.bytesPerSecond)});
    }
    if (faults.headLength) {
        args.insert(args.end(), {"--head-length", std::to_string(*faults.headLength)});
    }
    if (faults.noFlag) {
        args.push_back("--no-flag");
    }
    return args;
}

bool MirrorServer::Start(const MirrorServerOptions& options, std::string* error) {
    std::string reason;
    std::string& why = error != nullptr ? *error : reason;
    Stop();

    const std::string binary = BinaryPath();
    if (binary.empty()) {
        why = "the mirror tool is unknown: set MSS_MIRROR_BINARY";
        return false;
    }
    int inputPipe[2];
    int outputPipe[2];
    // Close-on-exec, so that no other child of this process inherits an end
    // and keeps the mirror's input open after this object is gone.
    if (pipe2(inputPipe, O_CLOEXEC) != 0) {
        why = std::string("pipe2: ") + std::strerror(errno);
        return false;
    }
    if (pipe2(outputPipe, O_CLOEXEC) != 0) {
        why = std::string("pipe2: ") + std::strerror(errno);
        close(inputPipe[0]);
        close(inputPipe[1]);
        return false;
    }

    std::vector<std::string> args = Arguments(options);
    args.push_back("--watch-stdin");
    std::vector<char*> argv{const_cast<char*>(binary.c_str())};
    for (auto& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, inputPipe[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, outputPipe[1], STDOUT_FILENO);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, binary.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(inputPipe[0]);
    close(outputPipe[1]);
    if (spawned != 0) {
        close(inputPipe[1]);
        close(outputPipe[0]);
        why = "cannot start " + binary + ": " + std::strerror(spawned);
        return false;
    }
    pid_ = pid;
    input_ = inputPipe[1];
    output_ = outputPipe[0];
    address_ = options.address;
    name_ = options.name.empty() ? BaseName(options.file) : options.name;

    if (!ReadListeningLine(why)) {
        Stop();
        return false;
    }
    return true;
}

bool MirrorServer::ReadListeningLine(std::string& error) {
    const auto deadline = Clock::now() + kStartLimit;
    std::string received;
    for (;;) {
        const size_t newline = received.find('\n');
        if (newline != std::string::npos) {
            const std::string line = received.substr(0, newline);
            const size_t colon = line.rfind(':');
            const int port = colon == std::string::npos ? 0 : std::atoi(line.c_str() + colon + 1);
            if (line.rfind(kListeningPrefix, 0) != 0 || port <= 0 || port > 65535) {
                error = "unexpected first line from the mirror: " + line;
                return false;
            }
            port_ = static_cast<uint16_t>(port);
            return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            error = "the mirror did not report listening within 10 seconds";
            return false;
        }
        pollfd watch{output_, POLLIN, 0};
        const int ready = poll(&watch, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            continue;  // the deadline check above ends the wait
        }
        char chunk[256];
        const ssize_t got = read(output_, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            // Its output closed before the line: the mirror is exiting.
            int status = 0;
            if (ReapBefore(pid_, Clock::now() + kStopLimit, status)) {
                pid_ = -1;  // reaped: never signal that number again
                error = "the mirror " + DescribeExit(status) + " before listening";
            } else {
                error = "the mirror closed its output before listening";
            }
            return false;
        }
        received.append(chunk, static_cast<size_t>(got));
    }
}

bool MirrorServer::Stop() {
    if (pid_ <= 0) {
        CloseFds();
        return true;
    }
    // Either one ends the mirror; both make sure of it.
    if (input_ >= 0) {
        close(input_);
        input_ = -1;
    }
    kill(pid_, SIGTERM);
    int status = 0;
    bool clean = ReapBefore(pid_, Clock::now() + kStopLimit, status);
    if (!clean) {
        kill(pid_, SIGKILL);
        while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
    }
    clean = clean && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    pid_ = -1;
    CloseFds();
    return clean;
}

void MirrorServer::CloseFds() {
    for (int* fd : {&input_, &output_}) {
        if (*fd >= 0) {
            close(*fd);
            *fd = -1;
        }
    }
}

std::string MirrorServer::Host() const {
    return address_ + ":" + std::to_string(port_);
}

std::string MirrorServer::BaseUrl() const {
    return "http://" + Host();
}

std::string MirrorServer::Url() const {
    return BaseUrl() + "/download/" + name_;
}

std::string MirrorServer::FlagUrl() const {
    return BaseUrl() + "/flag.php";
}
