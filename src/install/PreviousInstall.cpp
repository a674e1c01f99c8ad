#include "install/PreviousInstall.h"

#include <sys/stat.h>

#include "app/log/ILog.h"
#include "app/product/ProductConstants.h"
#include "install/CMyRegKey.h"
#include "install/UninstallEntry.h"
#include "install/UninstallKey.h"
#include "system/FileSystem.h"
#include "system/SystemFolders.h"

namespace {

constexpr const char* kInstallPathValueName = "InstallPath";

bool PathExists(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0;
}

bool ReadNonEmptyInstallPath(CMyRegKey& key) {
    std::string text;
    return key.ReadString(kInstallPathValueName, text) == platform::kRegSuccess && !text.empty();
}

}  // namespace

std::string ProductKeyPath() {
    return std::string("Software\\") + product::kProductRegistryName + "\\" + product::kDisplayName;
}

std::string FindOldInstallPath(const std::string& keyName) {
    std::string location;
    if (ReadInstallLocation(keyName, location)) {
        LogPrintf("Find install path: (%s)\n", location.c_str());
        return location;
    }
    LogPrintf("Don't find install path for old version.\n");
    return std::string();
}

bool HasInstallPathKey() {
    bool found = false;
    {
        CMyRegKey key;
        if (key.Create(platform::RegistryRoot::kLocalMachine, ProductKeyPath()) == platform::kRegSuccess &&
            ReadNonEmptyInstallPath(key)) {
            found = true;
            LogPrintf("IsNewInstall : Username false\n");
        }
    }
    {
        CMyRegKey key;
        if (key.Open(platform::RegistryRoot::kLocalMachine, ProductKeyPath(),
                     platform::kKeyRead | platform::kKeyWow64_64Key) == platform::kRegSuccess &&
            ReadNonEmptyInstallPath(key)) {
            found = true;
            LogPrintf("IsNewInstall : WOW6432Node Username false\n");
        }
    }
    return found;
}

bool IsNewInstall(const std::string& installFolder, const std::string& keyName) {
    const bool hasUninstaller = !installFolder.empty() && PathExists(JoinPath(installFolder, kUninstallerFileName));
    LogPrintf("Begin IsNewInstall : bHasOldVersion (%d)\n", hasUninstaller ? 1 : 0);

    if (hasUninstaller || PathExists(FindOldInstallPath(keyName))) {
        LogPrintf("IsNewInstall : bHasOldVersion(%d).\n", hasUninstaller ? 1 : 0);
        return false;
    }
    const bool isNew = !HasInstallPathKey();

    // The roaming application data; a product folder left there means the
    // product ran on this machine before.
    std::string appData;
    if (GetAppDataFolder(appData) && PathExists(JoinPath(appData, product::ProductDataFolder()))) {
        LogPrintf("IsNewInstall : appdata folder\n");
        return false;
    }
    return isNew;
}
