#include "app/DeveloperConfig.h"

#include <unistd.h>

#include <atomic>

#include "app/AppPaths.h"
#include "platform/IniFile.h"

std::string DeveloperConfigPath() {
    return MakeDocumentsPath("", std::string(kDeveloperConfigFileName), true);
}

bool DeveloperConfigExists() {
    const std::string path = DeveloperConfigPath();
    return !path.empty() && ::access(path.c_str(), F_OK) == 0;
}

int ReadDeveloperConfigInt(const std::string& key, int defaultValue) {
    const std::string path = DeveloperConfigPath();
    if (path.empty()) {
        return defaultValue;
    }
    return platform::GetPrivateProfileInt(kDeveloperConfigSection, key, defaultValue, path);
}

bool IsTestMode() {
    // Only ever changes from false to true; the install worker reads it too.
    static std::atomic<bool> testMode{false};
    if (!testMode.load()) {
        if (ReadDeveloperConfigInt(kConfigTestMode, 0) == 1) {
            testMode.store(true);
        }
    }
    return testMode.load();
}
