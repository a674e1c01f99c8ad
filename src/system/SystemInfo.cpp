#include "system/SystemInfo.h"

#include <sys/utsname.h>

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
