#include "platform/DesktopUser.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>

#include "platform/Environment.h"

extern char** environ;

namespace platform {
namespace {

// A decimal id with nothing else around it.
bool ParseId(const std::string& text, unsigned long& id) {
    if (text.empty()) {
        return false;
    }
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), id);
    return ec == std::errc() && end == text.data() + text.size() && id <= 0xFFFFFFFEul;
}

struct UserRecord {
    bool found = false;
    std::string name;
    std::string home;
    gid_t gid = 0;
};

UserRecord LookUpUser(uid_t uid) {
    UserRecord record;
    std::vector<char> buffer(16384);
    struct passwd entry {};
    struct passwd* result = nullptr;
    if (getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &result) == 0 && result != nullptr) {
        record.found = true;
        record.name = entry.pw_name ? entry.pw_name : "";
        record.home = entry.pw_dir ? entry.pw_dir : "";
        record.gid = entry.pw_gid;
    }
    return record;
}

// This process's environment with the given variables replaced.
std::vector<std::string> EnvironmentWith(const std::vector<std::pair<std::string, std::string>>& replaced) {
    std::vector<std::string> entries;
    for (char** entry = environ; entry && *entry; ++entry) {
        const std::string text = *entry;
        bool overridden = false;
        for (const auto& [name, value] : replaced) {
            if (text.compare(0, name.size() + 1, name + "=") == 0) {
                overridden = true;
            }
        }
        if (!overridden) {
            entries.push_back(text);
        }
    }
    for (const auto& [name, value] : replaced) {
        entries.push_back(name + "=" + value);
    }
    return entries;
}

void WriteError(int fd, int error) {
    ssize_t ignored = ::write(fd, &error, sizeof error);
    (void)ignored;
}

}  // namespace

std::optional<DesktopUser> FindInvokingUser() {
    unsigned long uid = 0;
    unsigned long gid = 0;
    if (ParseId(GetEnv("SUDO_UID"), uid)) {
        if (!ParseId(GetEnv("SUDO_GID"), gid)) {
            const UserRecord record = LookUpUser(static_cast<uid_t>(uid));
            if (!record.found) {
                return std::nullopt;
            }
            gid = record.gid;
        }
    } else if (ParseId(GetEnv("PKEXEC_UID"), uid)) {
        const UserRecord record = LookUpUser(static_cast<uid_t>(uid));
        if (!record.found) {
            return std::nullopt;
        }
        gid = record.gid;
    } else {
        return std::nullopt;
    }
    if (uid == 0) {
        return std::nullopt;
    }
    return DesktopUser{static_cast<uid_t>(uid), static_cast<gid_t>(gid)};
}

bool LaunchDetached(const std::string& program, const std::vector<std::string>& arguments,
                    const std::string& folder, const std::optional<DesktopUser>& user, int& error) {
    // Everything the child needs is prepared here: between fork and exec only
    // async-signal-safe calls are allowed, since other threads may hold locks
    // (the allocator's among them) at the moment of the fork.
    std::vector<gid_t> groups;
    std::vector<std::string> environment;
    if (user) {
        const UserRecord record = LookUpUser(user->uid);
        if (record.found) {
            int count = 64;
            groups.resize(static_cast<std::size_t>(count));
            if (getgrouplist(record.name.c_str(), user->gid, groups.data(), &count) < 0) {
                groups.resize(static_cast<std::size_t>(count));
                getgrouplist(record.name.c_str(), user->gid, groups.data(), &count);
            }
            groups.resize(static_cast<std::size_t>(count));
            environment = EnvironmentWith({{"HOME", record.home}, {"USER", record.name}, {"LOGNAME", record.name}});
        } else {
            groups.assign(1, user->gid);
            environment = EnvironmentWith({});
        }
    } else {
        environment = EnvironmentWith({});
    }
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& entry : environment) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);

    // The grandchild reports a failure before exec through this pipe; a
    // successful exec closes it empty.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) {
        error = errno;
        return false;
    }
    const pid_t child = ::fork();
    if (child < 0) {
        error = errno;
        ::close(report[0]);
        ::close(report[1]);
        return false;
    }
    if (child == 0) {
        ::close(report[0]);
        // A session of its own: closing the installer's terminal does not end it.
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild != 0) {
            if (grandchild < 0) {
                WriteError(report[1], errno);
            }
            ::_exit(0);
        }
        if (user) {
            if (::setgroups(groups.size(), groups.data()) != 0 || ::setgid(user->gid) != 0 ||
                ::setuid(user->uid) != 0 || ::getuid() != user->uid || ::geteuid() != user->uid) {
                WriteError(report[1], errno != 0 ? errno : EPERM);
                ::_exit(127);
            }
        }
        if (!folder.empty() && ::chdir(folder.c_str()) != 0) {
            WriteError(report[1], errno);
            ::_exit(127);
        }
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::execve(program.c_str(), argv.data(), envp.data());
        WriteError(report[1], errno);
        ::_exit(127);
    }
    ::close(report[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int childError = 0;
    ssize_t got = 0;
    do {
        got = ::read(report[0], &childError, sizeof childError);
    } while (got < 0 && errno == EINTR);
    ::close(report[0]);
    if (got == static_cast<ssize_t>(sizeof childError)) {
        error = childError;
        return false;
    }
    error = 0;
    return true;
}

}  // namespace platform
