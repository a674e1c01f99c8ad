#include "support/StatsService.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <cstdio>
#include <thread>

extern char** environ;

namespace {

// Making the first certificate takes milliseconds; this only guards a hang.
constexpr int kStartTimeoutMs = 15000;
constexpr auto kStopTimeout = std::chrono::seconds(5);

}  // namespace

StatsService::StatsService(StatsServiceOptions options, const std::string& binary) {
    ok_ = Launch(options, binary);
    if (!ok_) Stop();
}

StatsService::~StatsService() {
    Stop();
}

bool StatsService::Launch(const StatsServiceOptions& options, const std::string& binary) {
    if (binary.empty()) {
        error_ = "no mss-stats binary (set MSS_STATS_BINARY)";
        return false;
    }
    if (options.dataFolder.empty()) {
        ownFolder_ = std::make_unique<TempDir>();
        dataFolder_ = ownFolder_->path();
    } else {
        dataFolder_ = options.dataFolder;
        std::error_code ignored;
        std::filesystem::create_directories(dataFolder_, ignored);
    }

    int toChild[2];
    int fromChild[2];
    if (pipe2(toChild, O_CLOEXEC) != 0) {
        error_ = "pipe failed";
        return false;
    }
    if (pipe2(fromChild, O_CLOEXEC) != 0) {
        close(toChild[0]);
        close(toChild[1]);
        error_ = "pipe failed";
        return false;
    }
    const std::string logPath = dataFolder_ + "/service.log";

    std::vector<std::string> args = {binary, "--data", dataFolder_, "--bind", "127.0.0.1", "--exit-on-stdin-close"};
    if (options.reply) {
        args.push_back("--reply");
        args.push_back(*options.reply);
    }
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toChild[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fromChild[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    const int spawned = posix_spawn(&pid_, binary.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(toChild[0]);
    close(fromChild[1]);
    stdinFd_ = toChild[1];
    if (spawned != 0) {
        pid_ = -1;
        close(fromChild[0]);
        error_ = "cannot start " + binary;
        return false;
    }
    const bool listening = ReadListeningLine(fromChild[0]);
    close(fromChild[0]);
    return listening;
}

bool StatsService::ReadListeningLine(int fd) {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartTimeoutMs);
    while (line.find('\n') == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            error_ = "mss-stats did not announce its ports in time";
            return false;
        }
        pollfd watched{fd, POLLIN, 0};
        if (poll(&watched, 1, static_cast<int>(left.count())) <= 0) continue;
        char buffer[512];
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got <= 0) {
            error_ = "mss-stats ended before listening: " + ServiceLog();
            return false;
        }
        line.append(buffer, static_cast<std::size_t>(got));
    }
    line.erase(line.find('\n'));
    // The certificate path is the rest of the line: it may hold spaces.
    const std::size_t certAt = line.find(" cert=");
    if (certAt == std::string::npos ||
        std::sscanf(line.c_str(), "listening json_port=%d upload_port=%d", &jsonPort_, &uploadPort_) != 2) {
        error_ = "unexpected first line from mss-stats: " + line;
        return false;
    }
    certificatePath_ = line.substr(certAt + 6);
    return true;
}

std::string StatsService::JsonEndpoint() const {
    return "https://127.0.0.1:" + std::to_string(jsonPort_) + "/api/common_json_post/";
}

std::string StatsService::UploadEndpoint() const {
    return "http://127.0.0.1:" + std::to_string(uploadPort_) + "/api/common_post/";
}

std::string StatsService::PageAddress() const {
    return "http://127.0.0.1:" + std::to_string(uploadPort_) + "/";
}

std::string StatsService::ServiceLog() const {
    return TempDir::ReadFile(dataFolder_ + "/service.log");
}

void StatsService::Stop() {
    if (stdinFd_ >= 0) {
        close(stdinFd_);
        stdinFd_ = -1;
    }
    if (pid_ <= 0) return;
    const auto deadline = std::chrono::steady_clock::now() + kStopTimeout;
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    pid_ = -1;
}
