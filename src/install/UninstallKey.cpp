#include "install/UninstallKey.h"

#include "install/CMyRegKey.h"

namespace {

bool CreateUninstallKey(CMyRegKey& key, const std::string& keyName) {
    if (keyName.empty()) {
        return false;
    }
    return key.Create(platform::RegistryRoot::kLocalMachine, UninstallKeyPath(keyName)) == platform::kRegSuccess;
}

}  // namespace

std::string UninstallKeyPath(const std::string& keyName) {
    return kUninstallKeyBase + keyName;
}

bool WriteUninstallString(const std::string& keyName, const std::string& valueName, const std::string& text) {
    CMyRegKey key;
    if (!CreateUninstallKey(key, keyName)) {
        return false;
    }
    return key.WriteString(valueName, text) == platform::kRegSuccess;
}

bool WriteUninstallDword(const std::string& keyName, const std::string& valueName, std::int32_t number) {
    CMyRegKey key;
    if (!CreateUninstallKey(key, keyName)) {
        return false;
    }
    return key.WriteDword(valueName, number) == platform::kRegSuccess;
}

bool ReadUninstallDword(const std::string& keyName, const std::string& valueName, std::int32_t& number) {
    CMyRegKey key;
    if (!CreateUninstallKey(key, keyName)) {
        return false;
    }
    key.ReadDword(valueName, number);
    return true;
}

bool ReadInstallLocation(const std::string& keyName, std::string& location) {
    CMyRegKey key;
    if (!CreateUninstallKey(key, keyName)) {
        return false;
    }
    std::string text;
    if (key.ReadString(kInstallLocationValueName, text) != platform::kRegSuccess || text.empty()) {
        return false;
    }
    location = text;
    return true;
}
