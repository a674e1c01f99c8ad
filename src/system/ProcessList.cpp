#include "system/ProcessList.h"

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <vector>

namespace {

std::string BaseName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool SameFileName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

// Every process id in ascending order, so that "first" means the oldest
// surviving id as a snapshot would list it.
std::vector<pid_t> ListProcessIds() {
    std::vector<pid_t> ids;
    DIR* proc = ::opendir("/proc");
    if (proc == nullptr) {
        return ids;
    }
    while (const dirent* entry = ::readdir(proc)) {
        char* end = nullptr;
        const long id = std::strtol(entry->d_name, &end, 10);
        if (end != entry->d_name && *end == '\0' && id > 0) {
            ids.push_back(static_cast<pid_t>(id));
        }
    }
    ::closedir(proc);
    std::sort(ids.begin(), ids.end());
    return ids;
}

std::string ExecutablePath(pid_t processId) {
    const std::string link = "/proc/" + std::to_string(processId) + "/exe";
    char target[PATH_MAX];
    const ssize_t length = ::readlink(link.c_str(), target, sizeof target - 1);
    if (length <= 0) {
        return std::string();
    }
    std::string path(target, static_cast<std::size_t>(length));
    // A program whose file was deleted while it runs (an install folder
    // emptied under a running product) keeps its name with this mark.
    static const std::string kDeletedMark = " (deleted)";
    struct stat info {};
    if (path.size() > kDeletedMark.size() &&
        path.compare(path.size() - kDeletedMark.size(), kDeletedMark.size(), kDeletedMark) == 0 &&
        ::lstat(path.c_str(), &info) != 0) {
        path.resize(path.size() - kDeletedMark.size());
    }
    return path;
}

std::string FirstCommandLineWord(pid_t processId) {
    std::ifstream in("/proc/" + std::to_string(processId) + "/cmdline", std::ios::binary);
    std::string first;
    std::getline(in, first, '\0');
    return first;
}

// Sends SIGKILL through a process handle when the kernel offers one, so that
// the signal cannot reach a new process that took over a recycled id after
// the name was checked.
bool KillProcess(pid_t processId, const std::string& fileName) {
#ifdef SYS_pidfd_open
    const long handle = ::syscall(SYS_pidfd_open, processId, 0);
    if (handle >= 0) {
        const int fd = static_cast<int>(handle);
        bool killed = false;
        if (SameFileName(GetProcessFileName(processId), fileName)) {
            killed = ::syscall(SYS_pidfd_send_signal, fd, SIGKILL, nullptr, 0) == 0;
        }
        ::close(fd);
        return killed;
    }
    if (errno != ENOSYS) {
        return false;
    }
#else
    (void)fileName;
#endif
    return ::kill(processId, SIGKILL) == 0;
}

}  // namespace

std::string GetProcessFileName(pid_t processId) {
    std::string path = ExecutablePath(processId);
    if (path.empty()) {
        path = FirstCommandLineWord(processId);
    }
    return BaseName(path);
}

bool FindProcessByName(const std::string& fileName, pid_t& processId) {
    if (fileName.empty()) {
        return false;
    }
    for (const pid_t id : ListProcessIds()) {
        if (SameFileName(GetProcessFileName(id), fileName)) {
            processId = id;
            return true;
        }
    }
    return false;
}

bool TerminateProcessByName(const std::string& fileName) {
    if (fileName.empty()) {
        return false;
    }
    const pid_t self = ::getpid();
    for (const pid_t id : ListProcessIds()) {
        if (id == 1 || id == self) {
            continue;
        }
        if (SameFileName(GetProcessFileName(id), fileName)) {
            return KillProcess(id, fileName);
        }
    }
    return false;
}
