#include "install/PostInstallRun.h"

#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "app/log/ILog.h"
#include "platform/ChildProcess.h"
#include "platform/CommandLine.h"
#include "platform/DesktopUser.h"
#include "platform/Environment.h"
#include "system/FileSystem.h"
#include "system/ProcessList.h"

namespace {

bool FileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

}  // namespace

std::string BuildInstallCommandLine(const InstallRunOptions& options, bool newInstall) {
    std::string line = "/install";
    if (options.joinProgramme) {
        line += " /add_plan";
    }
    if (!options.installId.empty()) {
        line += " /ID:" + options.installId;
    }
    if (newInstall) {
        line += " /new ";
    }
    if (!options.optionTag.empty()) {
        line += " /option:" + options.optionTag;
    }
    if (!options.sourceTag.empty()) {
        line += " /source:" + options.sourceTag;
    }
    if (options.downloadSeconds != 0) {
        line += " /time:" + std::to_string(options.downloadSeconds) + " ";
    }
    return line;
}

bool RunMainExe(const std::string& installFolder, const std::string& programFileName, bool newInstall,
                const InstallRunOptions& options) {
    const std::string program = JoinPath(installFolder, programFileName);
    LogPrintf("Run MainExe.exe /install");
    if (installFolder.empty() || !FileExists(program)) {
        LogPrintf("Run exe failed. main exe con't found\n.");
        return false;
    }
    const std::string commandLine = BuildInstallCommandLine(options, newInstall);
    LogPrintf("Run Install Params: %s.\n", commandLine.c_str());

    platform::ChildProcess child;
    int error = 0;
    if (!child.Start(program, platform::SplitCommandLine(commandLine), std::string(), error)) {
        return true;
    }
    // The wait goes on while the started run, or any other process of the
    // same program, is still running: the product may hand its set-up work to
    // a second instance. The started run is reaped as soon as it ends, so
    // its id is never signalled once it could belong to another process.
    int waitCount = 0;
    bool ended = false;
    while (waitCount < options.pollLimit) {
        pid_t running = 0;
        if (child.HasExited() && !FindProcessByName(programFileName, running)) {
            ended = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kProductRunPollIntervalMs));
        ++waitCount;
    }
    const int exitCode = ended ? child.GetExitCode() : 0;
    LogPrintf("Run main exe install : ExitCode(%d), nWaitCount(%d).\n", exitCode, waitCount);
    child.Kill();
    return true;
}

bool RunAsDesktopUser(const std::string& programPath, const std::string& parameters, const std::string& folder,
                      int /*showCommand*/) {
    std::optional<platform::DesktopUser> user;
    if (platform::IsRoot()) {
        user = platform::FindInvokingUser();
        if (!user) {
            return false;
        }
    }
    int error = 0;
    return platform::LaunchDetached(programPath, platform::SplitCommandLine(parameters), folder, user, error);
}
