#include "DemoUninstaller.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "DesktopEntryCleaner.h"
#include "install/PackageInfo.h"
#include "platform/Environment.h"
#include "platform/Folders.h"
#include "system/FileSystem.h"
#include "util/JFile.h"

extern char** environ;

namespace {

constexpr const char* kRegistryToolName = "mss-reg";
constexpr const char* kUninstallKeyPrefix = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

bool IsExecutable(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

DemoUninstaller::DemoUninstaller(std::string installFolder, bool silent)
    : installFolder_(std::move(installFolder)), silent_(silent) {}

void DemoUninstaller::Say(const std::string& text) const {
    if (!silent_) {
        std::printf("%s\n", text.c_str());
    }
}

bool DemoUninstaller::ReadUninstallKeyName(std::string& keyName) const {
    std::string block;
    if (!JFile::ReadAll(installFolder_ + "/uninstall.exe.bin", block) || block.size() != sizeof(PackageInfo)) {
        return false;
    }
    PackageInfo info;
    std::memcpy(&info, block.data(), sizeof info);
    keyName = PackageInfoText(info.folderName);
    return !keyName.empty();
}

std::string DemoUninstaller::FindRegistryTool() const {
    const std::string beside = installFolder_ + "/" + kRegistryToolName;
    if (IsExecutable(beside)) {
        return beside;
    }
    const std::string path = platform::GetEnv("PATH");
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find(':', start);
        if (end == std::string::npos) {
            end = path.size();
        }
        const std::string folder = path.substr(start, end - start);
        if (!folder.empty() && IsExecutable(folder + "/" + kRegistryToolName)) {
            return folder + "/" + kRegistryToolName;
        }
        start = end + 1;
    }
    return std::string();
}

void DemoUninstaller::RemoveUninstallEntry(const std::string& keyName) const {
    const std::string tool = FindRegistryTool();
    if (tool.empty()) {
        std::fprintf(stderr, "uninstall: %s not found; the uninstall entry stays\n", kRegistryToolName);
        return;
    }
    std::string key = kUninstallKeyPrefix + keyName;
    std::vector<std::string> arguments{tool, "delete", key, "/f"};
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    pid_t child = 0;
    int status = 0;
    if (::posix_spawn(&child, tool.c_str(), nullptr, nullptr, argv.data(), environ) != 0 ||
        ::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "uninstall: %s could not delete %s\n", kRegistryToolName, key.c_str());
    }
}

int DemoUninstaller::Run() {
    std::string keyName;
    if (!ReadUninstallKeyName(keyName)) {
        std::fprintf(stderr, "uninstall: %s holds no installation (no uninstall.exe.bin)\n", installFolder_.c_str());
        return 1;
    }
    Say("Uninstalling Mirvak Serac Studio from " + installFolder_);
    const DesktopEntryCleaner cleaner(installFolder_);
    int removed = 0;
    for (const std::string& folder : {platform::GetDesktopFolder(), platform::GetUserApplicationsFolder(),
                                      platform::GetAllUsersApplicationsFolder()}) {
        removed += cleaner.Clean(folder);
    }
    Say("Removed " + std::to_string(removed) + " shortcuts");
    RemoveUninstallEntry(keyName);
    // Last, as it removes this program too; a running program's file may go on this system.
    DeleteTree(installFolder_);
    Say("Uninstallation complete");
    return 0;
}
