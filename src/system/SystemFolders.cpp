#include "system/SystemFolders.h"

#include "platform/Environment.h"
#include "platform/Folders.h"
#include "system/FileSystem.h"

namespace {

std::string ProgramFilesFolder() {
    if (platform::IsRoot()) {
        return platform::UnderRootPrefix("/opt");
    }
    const std::string home = platform::GetHomeFolder();
    return home.empty() ? std::string() : home + "/.local/opt";
}

}  // namespace

bool GetProgramPath(std::string& path, const std::string& folderName, bool create, bool /*x64*/) {
    const std::string base = ProgramFilesFolder();
    if (base.empty()) {
        return false;
    }
    std::string joined = JoinPath(base, folderName);
    if (joined.size() > kMaxFolderChainLength) {
        return false;
    }
    if (create) {
        CreateFolderChain(joined);
    }
    path = std::move(joined);
    return true;
}

bool GetAppDataFolder(std::string& path) {
    std::string folder = platform::GetConfigHomeFolder();
    if (folder.empty()) {
        return false;
    }
    path = std::move(folder);
    return true;
}
