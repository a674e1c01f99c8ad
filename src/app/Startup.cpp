#include "app/Startup.h"

#include "app/AppPaths.h"
#include "app/DeveloperConfig.h"
#include "app/log/ILog.h"
#include "system/SystemInfo.h"

int RunInstaller() {
    // A Documents folder that cannot be found gives an empty path: the log
    // stays unwritten and the installer goes on.
    GetLog().Open(MakeInstallLogPath());
    LogPrintf("Setup Init. Version %s", kInstallerEngineVersion);
    LogPrintf(IsWindows64() ? "System Mode : x64" : "System Mode : x86");
    if (IsTestMode()) {
        LogPrintf("Test Mode : true\n");
    }
    LogPrintf("Exit app.");
    return 0;
}
