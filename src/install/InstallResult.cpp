#include "install/InstallResult.h"

#include <atomic>

namespace {

// Written by the install worker, read by the window thread and the reporter.
std::atomic<int> lastResultCode{kInstallNoError};

}  // namespace

std::string InstallResultName(int code) {
    switch (code) {
    case kInstallNoError: return "NoError";
    case kInstallPointNull: return "PointNull";
    case kInstallSetupFileError: return "SetupFileError";
    case kInstallDirWriteError: return "DirWriteError";
    case kInstallMallocError: return "MallocBrror";
    case kInstallInstallFileError: return "InstallFileError";
    case kInstallOpenFileError: return "OpenFileError";
    case kInstallOffsetError: return "OffsetError";
    case kInstallReadFileError: return "ReadFileError";
    case kInstallUnzipFileError: return "UnzipFileError";
    default: return std::to_string(code);
    }
}

int GetInstallResultCode() {
    return lastResultCode.load();
}

std::string GetInstallResultName() {
    return InstallResultName(lastResultCode.load());
}

void SetInstallResultCode(int code) {
    lastResultCode.store(code);
}
