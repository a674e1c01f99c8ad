// The user who owns the desktop session, and starting a program for that user
// from an installer that may run as root: a root process never starts the
// product with its own rights, it drops to the user who invoked it.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace platform {

struct DesktopUser {
    uid_t uid = 0;
    gid_t gid = 0;
};

// The user who started this process through sudo (SUDO_UID, SUDO_GID) or
// pkexec (PKEXEC_UID, the group from the user database). None when neither
// names a valid user, or when it names root itself.
std::optional<DesktopUser> FindInvokingUser();

// Starts the program with the arguments after its name, in the folder when
// one is given, and does not wait for it; the program is not left as a
// zombie child of this process. With a user, the program runs with that
// user's groups, group id and user id, and HOME, USER and LOGNAME from the
// user database. False with an errno value when the program could not be
// started, or the rights could not be dropped (then nothing runs).
bool LaunchDetached(const std::string& program, const std::vector<std::string>& arguments,
                    const std::string& folder, const std::optional<DesktopUser>& user, int& error);

}  // namespace platform
