#include "install/C7ZOperator.h"

#include <sched.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

#include "install/ArchiveRunner.h"
#include "platform/Folders.h"
#include "platform/Tick.h"
#include "util/JFile.h"

namespace {

constexpr const char* kWorkFolderName = "mirvak_7z/";
constexpr const char* kTemporaryArchiveName = "Vek7ZFile.7z";
// A tick value is taken at most once per millisecond; this bounds the wait
// when the folders of many ticks exist already.
constexpr std::uint32_t kUniqueFolderPatienceMs = 5000;

bool FileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

}  // namespace

void C7ZOperator::SetNotify(UnpackNotify notify) {
    notify_ = std::move(notify);
}

void C7ZOperator::OnExtractProgress(std::uint32_t low, std::uint32_t /*high*/) {
    if (notify_) {
        notify_(kUnpackProgress, static_cast<int>(low), 0);
    }
}

void C7ZOperator::OnExtractError(int code) {
    lastError_ = code;
    if (notify_) {
        notify_(kUnpackExtractError, code, 0);
    }
}

bool C7ZOperator::ExtractFile(const std::string& archivePath, const std::string& outputFolder,
                              const std::string& password, std::string& errorText) {
    if (!FileExists(archivePath)) {
        OnExtractError(kExtractErrorRunner);
        errorText = "File path not exists : " + archivePath;
        return false;
    }
    ArchiveRunner runner(this);
    if (!runner.RunExtraction(archivePath, outputFolder, password)) {
        OnExtractError(kExtractErrorRunner);
        errorText = "Read 7z file error";
        return false;
    }
    return true;
}

std::string C7ZOperator::MakeUniqueTempFolder() {
    std::string temp = platform::GetTempFolder();
    if (temp.empty() || temp.back() != '/') {
        temp += '/';
    }
    ArchiveRunner::CreateFolderChain(temp);
    // mkdir either creates the folder for this caller or fails: two callers,
    // in this process or another, never share one.
    const std::uint32_t start = platform::GetTickCount32();
    do {
        char name[32];
        std::snprintf(name, sizeof name, "%x/", platform::GetTickCount32());
        const std::string folder = temp + name;
        if (::mkdir(folder.c_str(), 0700) == 0) {
            return folder;
        }
        if (errno != EEXIST) {
            return std::string();
        }
        ::sched_yield();
    } while (platform::GetTickCount32() - start < kUniqueFolderPatienceMs);
    return std::string();
}

bool C7ZOperator::ExtractBuffer(const void* buffer, std::size_t size, const std::string& outputFolder,
                                const std::string& password, std::string& errorText,
                                bool removeTemporary) {
    if (buffer == nullptr || outputFolder.empty()) {
        return false;
    }
    const std::string unique = MakeUniqueTempFolder();
    const std::string work = unique + kWorkFolderName;
    const std::string archivePath = work + kTemporaryArchiveName;
    bool written = false;
    if (!unique.empty() && ArchiveRunner::CreateFolderChain(work)) {
        JFile file;
        // A short write (a full disk) would leave a cut archive behind; it
        // counts as a failed write rather than a damaged archive.
        written = file.Open(archivePath, JFile::Mode::Write) && file.Write(buffer, size) == size && file.Flush();
    }
    if (!written) {
        if (!unique.empty()) {
            ArchiveRunner::DeleteFolderTree(unique);
        }
        OnExtractError(kExtractErrorRunner);
        errorText = "Write 7z file error";
        return false;
    }
    if (!FileExists(archivePath)) {
        ArchiveRunner::DeleteFolderTree(unique);
        OnExtractError(kExtractErrorRunner);
        errorText = "File path not exists : " + archivePath;
        return false;
    }
    ArchiveRunner runner(this);
    if (!runner.RunExtraction(archivePath, outputFolder, password)) {
        ArchiveRunner::DeleteFolderTree(unique);
        OnExtractError(kExtractErrorRunner);
        errorText = "Read 7z file error";
        return false;
    }
    if (removeTemporary) {
        ArchiveRunner::DeleteFolderTree(unique);
    }
    return true;
}
