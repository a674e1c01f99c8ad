#include "system/SystemInfo.h"

#include <sys/utsname.h>

#include "app/log/ILog.h"
#include "platform/Environment.h"

bool IsArch64(const std::string& machine) {
    return machine == "x86_64" || machine == "aarch64";
}

bool IsWindows64() {
    utsname name{};
    if (uname(&name) != 0) {
        return false;
    }
    return IsArch64(name.machine);
}

void GetWindowsVersion(int& major, int& minor) {
    major = kReportedVersionMajor;
    minor = kReportedVersionMinor;
    LogPrintf("Window Version : %d,%d", major, minor);
}

bool IsWindows7OrLaterVersion(int major, int minor) {
    return major > 6 || (major == 6 && minor >= 1);
}

bool IsVistaOrLaterVersion(int major) {
    return major >= 6;
}

bool IsWindows7OrLater() {
    int major = 0;
    int minor = 0;
    GetWindowsVersion(major, minor);
    return IsWindows7OrLaterVersion(major, minor);
}

bool IsVistaOrLater() {
    return IsVistaOrLaterVersion(kReportedVersionMajor);
}

bool IsUserAdmin() {
    return platform::IsRoot();
}
