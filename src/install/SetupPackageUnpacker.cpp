#include "install/SetupPackageUnpacker.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>

#include "app/log/ILog.h"
#include "app/product/ProductConstants.h"
#include "install/ArchiveRunner.h"
#include "install/C7ZOperator.h"
#include "install/ExtractPathGuard.h"
#include "install/InstallResult.h"
#include "system/FileSystem.h"
#include "system/SystemFolders.h"
#include "util/JFile.h"

namespace {

constexpr const char* kUninstallerName = "uninstall.exe";
constexpr const char* kBlockFileSuffix = ".bin";
constexpr const char* kHoldingFolderName = "InstallerTemp";

// The install folder of the last unpack: written by the install worker, read
// by the window thread and the later install steps.
std::mutex installedPathMutex;
std::string installedPath;

void SetInstalledPath(const std::string& path) {
    std::lock_guard<std::mutex> lock(installedPathMutex);
    installedPath = path;
}

void Notify(const UnpackNotify& notify, int kind, int value) {
    if (notify) {
        notify(kind, value, 0);
    }
}

// The number a failed open reports: -1 for a missing file, else the system's error number.
int OpenErrorNumber(int error) {
    return error == ENOENT ? -1 : error;
}

void Fail(const UnpackNotify& notify, int resultCode, int notifyValue = kInstallSetupFileError) {
    SetInstallResultCode(resultCode);
    Notify(notify, kUnpackFailed, notifyValue);
}

template <class Package>
bool FailExtraction(Package& package, const std::string& folder, const std::string& errorText,
                    const UnpackNotify& notify) {
    LogPrintf("Failed unpack file.\n");
    LogPrintf("Install path %s.\n", folder.c_str());
    LogPrintf("UnZip error :%s.\n", errorText.c_str());
    package.file.Close();
    Fail(notify, kInstallUnzipFileError);
    return false;
}

// Moves a file, copying it (with its mode) and deleting the original when
// source and target lie on different volumes.
bool MoveFileAllowingCopy(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) == 0) {
        return true;
    }
    if (errno != EXDEV) {
        return false;
    }
    struct stat info {};
    if (::stat(from.c_str(), &info) != 0) {
        return false;
    }
    std::string content;
    if (!JFile::ReadAll(from, content) || !JFile::WriteAll(to, content)) {
        return false;
    }
    ::chmod(to.c_str(), info.st_mode & 07777);
    return ::unlink(from.c_str()) == 0;
}

// Copies size bytes from offset of one open file to the start of another in
// pieces of at most pieceSize bytes. The kernel copies the pieces when it can
// (no trip through this process's memory, several times faster for the 1 GB
// archive); the buffer serves where it cannot (another file system, an older
// kernel). Every piece is checked: a short read or a full disk would leave a
// cut archive that only the extractor would notice, less clearly.
bool CopyFileRange(int from, std::uint64_t offset, std::uint64_t size, int to, char* buffer, std::size_t pieceSize) {
    auto inOffset = static_cast<off_t>(offset);
    off_t outOffset = 0;
    bool kernelCopy = true;
    std::uint64_t done = 0;
    while (done < size) {
        const std::uint64_t left = size - done;
        const std::size_t count = left < pieceSize ? static_cast<std::size_t>(left) : pieceSize;
        std::size_t pieceDone = 0;
        while (kernelCopy && pieceDone < count) {
            const ssize_t copied = ::copy_file_range(from, &inOffset, to, &outOffset, count - pieceDone, 0);
            if (copied > 0) {
                pieceDone += static_cast<std::size_t>(copied);
            } else if (copied < 0 && errno == EINTR) {
                continue;
            } else if (copied < 0 && done == 0 && pieceDone == 0 &&
                       (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)) {
                kernelCopy = false;
            } else {
                return false;  // an error, or the package ended early
            }
        }
        if (!kernelCopy) {
            if (::pread(from, buffer, count, inOffset) != static_cast<ssize_t>(count) ||
                ::pwrite(to, buffer, count, outOffset) != static_cast<ssize_t>(count)) {
                return false;
            }
            inOffset += static_cast<off_t>(count);
            outOffset += static_cast<off_t>(count);
        }
        done += count;
    }
    return true;
}

}  // namespace

std::string GetInstalledPath() {
    std::lock_guard<std::mutex> lock(installedPathMutex);
    return installedPath;
}

UnpackRoute ChooseUnpackRoute(std::uint64_t archiveSize, std::uint64_t memoryRouteLimit) {
    return archiveSize > memoryRouteLimit ? UnpackRoute::File : UnpackRoute::Memory;
}

bool RangeInsideFile(std::uint64_t offset, std::uint64_t size, std::uint64_t fileLength) {
    return offset <= fileLength && size <= fileLength - offset;
}

struct SetupPackageUnpacker::Package {
    std::string path;
    JFile file;
    std::uint64_t length = 0;
    std::array<unsigned char, kPackageInfoSize> block{};  // exactly as read, for the block file
    PackageInfo info{};
};

HRESULT SetupPackageUnpacker::Unpack(const std::string& packagePath, const UnpackNotify& notify,
                                     const std::string& installFolder, bool removeTemporary,
                                     bool writeUninstaller) {
    if (packagePath.empty()) {
        SetInstallResultCode(kInstallPointNull);
        return E_POINTER;
    }
    Notify(notify, kUnpackStarted, 0);

    Package package;
    package.path = packagePath;
    if (!package.file.Open(packagePath, JFile::Mode::Read)) {
        const int error = OpenErrorNumber(errno);
        Notify(notify, kUnpackFailed, kInstallSetupFileError);
        SetInstallResultCode(error);
        LogPrintf("Open file error %d.\n", error);
        return E_FAIL;
    }
    const std::int64_t length = package.file.Size();
    package.length = length > 0 ? static_cast<std::uint64_t>(length) : 0;

    // A file too short to hold the offset field has no block either.
    std::uint64_t infoOffset = 0;
    const bool offsetRead = package.file.Seek(static_cast<std::int64_t>(kPackageInfoOffsetField)) &&
                            package.file.Read(&infoOffset, sizeof infoOffset) == sizeof infoOffset;
    if (!offsetRead || !RangeInsideFile(infoOffset, kPackageInfoSize, package.length) ||
        !package.file.Seek(static_cast<std::int64_t>(infoOffset)) ||
        package.file.Read(package.block.data(), package.block.size()) != package.block.size()) {
        package.file.Close();
        Fail(notify, kInstallOffsetError);
        LogPrintf("Offset error %d  Offset - %llu  file length- %llu.\n", kInstallOffsetError,
                  static_cast<unsigned long long>(infoOffset), static_cast<unsigned long long>(package.length));
        return E_FAIL;
    }
    std::memcpy(&package.info, package.block.data(), sizeof package.info);

    std::string folder;
    if (!installFolder.empty()) {
        CreateFolderChain(installFolder);
        folder = installFolder;
        SetInstalledPath(folder);
        LogPrintf("StrCpyW lpszProgram. \n");
    } else {
        // The folder name comes from the package; one that is empty or climbs
        // out of Program Files names no install folder at all.
        const std::string folderName = SafeEntryPath(PackageInfoText(package.info.folderName));
        if (!folderName.empty()) {
            GetProgramPath(folder, folderName, true, package.info.x64 != 0);
        }
        SetInstalledPath(folder);
        LogPrintf("GetProgramPath lpszProgram. \n");
    }
    LogPrintf("lpszProgram path :%s \n", folder.c_str());
    if (!ArchiveRunner::FolderExists(folder)) {
        package.file.Close();
        Fail(notify, kInstallDirWriteError, kInstallDirWriteError);
        return E_FAIL;
    }

    if (!RangeInsideFile(package.info.archiveOffset, package.info.archiveSize, package.length)) {
        package.file.Close();
        Fail(notify, kInstallReadFileError);
        return E_FAIL;
    }

    const bool extracted = ChooseUnpackRoute(package.info.archiveSize, limits_.memoryRouteLimit) == UnpackRoute::File
                               ? ExtractThroughFile(package, folder, notify)
                               : ExtractThroughMemory(package, folder, notify, removeTemporary);
    if (!extracted) {
        return E_FAIL;
    }

    WriteUninstaller(package, folder, writeUninstaller);
    Notify(notify, kUnpackFinished, 0);
    return S_OK;
}

bool SetupPackageUnpacker::ExtractThroughFile(Package& package, const std::string& folder,
                                              const UnpackNotify& notify) {
    LogPrintf("Unpack file use File.\n");
    const std::size_t pieceSize = limits_.copyPieceSize;
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[pieceSize + 1]);
    if (!buffer) {
        package.file.Close();
        Fail(notify, kInstallMallocError);
        return false;
    }

    // A folder of this run's own under the temporary folder: a fixed name
    // there could be taken by another installer, or planted as a link by
    // another user.
    const std::string unique = C7ZOperator::MakeUniqueTempFolder();
    const std::string work = unique + "mirvak_7z";
    const std::string temporaryArchive = work + "/Vek7ZFile.7z";
    const int copy = unique.empty() || !CreateFolderChain(work)
                         ? -1
                         : ::open(temporaryArchive.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (copy < 0) {
        const int error = OpenErrorNumber(errno);
        package.file.Close();
        Notify(notify, kUnpackFailed, kInstallSetupFileError);
        SetInstallResultCode(error);
        LogPrintf("Open file 7z error %d.\n", error);
        if (!unique.empty()) {
            DeleteTree(unique);
        }
        return false;
    }
    const int source = ::open(package.path.c_str(), O_RDONLY | O_CLOEXEC);
    const bool copied = source >= 0 && CopyFileRange(source, package.info.archiveOffset, package.info.archiveSize,
                                                     copy, buffer.get(), pieceSize);
    if (source >= 0) {
        ::close(source);
    }
    const bool closed = ::close(copy) == 0;
    buffer.reset();

    LogPrintf("Begin unpack file.\n");
    C7ZOperator extractor;
    extractor.SetNotify(notify);
    std::string errorText = "Copy 7z file error";
    const bool extracted = copied && closed && extractor.ExtractFile(temporaryArchive, folder, std::string(), errorText);
    DeleteTree(unique);
    if (!extracted) {
        return FailExtraction(package, folder, errorText, notify);
    }
    return true;
}

bool SetupPackageUnpacker::ExtractThroughMemory(Package& package, const std::string& folder,
                                                const UnpackNotify& notify, bool removeTemporary) {
    LogPrintf("Unpack file use buffer.\n");
    const auto size = static_cast<std::size_t>(package.info.archiveSize);
    // Every byte is read into it before use, so it is not zeroed first.
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[size + 1]);
    if (!buffer) {
        package.file.Close();
        Fail(notify, kInstallMallocError);
        return false;
    }
    const bool read = package.file.Seek(static_cast<std::int64_t>(package.info.archiveOffset)) &&
                      package.file.Read(buffer.get(), size) == size;
    LogPrintf("Buffer Info: Start(%d), size(%d), pBuffer(%08X).\n", static_cast<int>(package.info.archiveOffset),
              static_cast<int>(size), static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(buffer.get())));
    LogPrintf("Begin unpack file.\n");
    C7ZOperator extractor;
    extractor.SetNotify(notify);
    std::string errorText = "Read package file error";
    if (!read || !extractor.ExtractBuffer(buffer.get(), size, folder, std::string(), errorText, removeTemporary)) {
        return FailExtraction(package, folder, errorText, notify);
    }
    buffer.reset();
    LogPrintf("Finish unpack file.\n");
    return true;
}

void SetupPackageUnpacker::WriteUninstaller(Package& package, const std::string& folder, bool writeUninstaller) {
    const std::string uninstallerPath = JoinPath(folder, kUninstallerName);
    const PackageInfo& info = package.info;
    std::string image;
    bool haveImage = RangeInsideFile(info.uninstallerOffset, info.uninstallerSize, package.length);
    if (haveImage) {
        image.resize(info.uninstallerSize);
        haveImage = package.file.Seek(static_cast<std::int64_t>(info.uninstallerOffset)) &&
                    package.file.Read(image.data(), image.size()) == image.size();
    }
    package.file.Close();
    if (!writeUninstaller) {
        return;
    }
    LogPrintf("Write uninstall file.\n");
    if (haveImage) {
        if (JFile::WriteAll(uninstallerPath, image)) {
            ::chmod(uninstallerPath.c_str(), 0755);  // a program on this platform needs the mode to run
        }
    } else {
        // A range outside the package would give an uninstaller of zeros.
        LogPrintf("Uninstall file out of package  Offset - %llu  size - %u  file length- %llu.\n",
                  static_cast<unsigned long long>(info.uninstallerOffset), info.uninstallerSize,
                  static_cast<unsigned long long>(package.length));
    }
    LogPrintf("Write uninstall bin.\n");
    JFile::WriteAll(uninstallerPath + kBlockFileSuffix,
                    std::string(reinterpret_cast<const char*>(package.block.data()), package.block.size()));
}

HRESULT UnpackSetupPackage(const std::string& packagePath, const UnpackNotify& notify,
                           const std::string& installFolder, bool removeTemporary, bool writeUninstaller) {
    return SetupPackageUnpacker().Unpack(packagePath, notify, installFolder, removeTemporary, writeUninstaller);
}

void MoveToInstallerTemp(const std::string& installFolder) {
    // Without an install folder the holding folder would land in the current folder.
    if (installFolder.empty()) {
        return;
    }
    const std::string holding = JoinPath(installFolder, kHoldingFolderName);
    DeleteTree(holding);
    CreateFolderChain(holding);
    for (const std::string& name : product::SplitList(product::kUpdaterProcessList)) {
        if (!MoveFileAllowingCopy(JoinPath(installFolder, name), JoinPath(holding, name))) {
            LogPrintf("MoveFileEx error : %p.\n", reinterpret_cast<void*>(static_cast<std::intptr_t>(errno)));
        }
    }
}
