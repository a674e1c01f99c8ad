#include "install/ArchiveRunner.h"

#include <sys/stat.h>

#include <cerrno>

#include "app/log/ILog.h"
#include "install/ArchiveFrontEnd.h"
#include "platform/ExecutablePath.h"
#include "system/FileSystem.h"

ArchiveRunner::ArchiveRunner(I7zFileInfoCallback* callback) : callback_(callback) {}

bool ArchiveRunner::BuildArguments(const std::string& programPath, const std::string& archivePath,
                                   const std::string& outputFolder, const std::string& password,
                                   std::vector<std::string>& arguments) {
    std::vector<std::string> built{programPath, "x", archivePath, "-o" + outputFolder};
    if (!password.empty()) {
        built.push_back("-p" + password);
    }
    for (const std::string& argument : built) {
        if (argument.size() >= kArchiveArgumentBufferSize) {
            return false;
        }
    }
    arguments = std::move(built);
    return true;
}

bool ArchiveRunner::RunExtraction(const std::string& archivePath, const std::string& outputFolder,
                                  const std::string& password) {
    std::vector<std::string> arguments;
    if (!BuildArguments(platform::GetExecutablePath(), archivePath, outputFolder, password, arguments)) {
        LogPrintf("Extract argument too long.\n");
        return false;
    }
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    const int exitCode = ArchiveFrontEndMain(static_cast<int>(arguments.size()), argv.data(), this,
                                             &ArchiveRunner::OnError, &ArchiveRunner::OnProgress);
    return exitCode == kArchiveExitOk || exitCode == kArchiveExitWarning;
}

void ArchiveRunner::OnError(void* context, int code) {
    auto* runner = static_cast<ArchiveRunner*>(context);
    if (runner != nullptr && runner->callback_ != nullptr) {
        runner->callback_->OnExtractError(code);
    }
}

void ArchiveRunner::OnProgress(void* context, std::uint32_t low, std::uint32_t high) {
    auto* runner = static_cast<ArchiveRunner*>(context);
    if (runner != nullptr && runner->callback_ != nullptr) {
        runner->callback_->OnExtractProgress(low, high);
    }
}

bool ArchiveRunner::FolderExists(const std::string& path) {
    if (path.size() < 2) {
        return false;
    }
    std::string folder = path;
    if (folder.back() == '/') {
        folder.pop_back();
    }
    struct stat info {};
    return ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool ArchiveRunner::CreateFolderChain(const std::string& path) {
    if (path.size() > kMaxFolderChainLength) {
        return false;
    }
    bool made = true;
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        if (::mkdir(path.substr(0, slash).c_str(), 0755) != 0 && errno != EEXIST) {
            made = false;
        }
    }
    return made;
}

bool ArchiveRunner::DeleteFolderTree(const std::string& path) {
    return DeleteTree(path);
}
