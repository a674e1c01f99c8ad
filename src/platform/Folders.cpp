#include "platform/Folders.h"

#include <fstream>
#include <sstream>

#include "platform/Environment.h"

namespace platform {
namespace {

std::string StripTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

// A folder from an absolute XDG variable, else home + fallback.
std::string XdgOrHome(const char* variable, const char* underHome) {
    std::string value = GetEnv(variable);
    if (!value.empty() && value.front() == '/') {
        return StripTrailingSlashes(value);
    }
    const std::string home = GetHomeFolder();
    return home.empty() ? std::string() : home + underHome;
}

std::string UserDir(const char* key, const char* fallbackUnderHome) {
    const std::string home = GetHomeFolder();
    std::ifstream in(GetConfigHomeFolder() + "/user-dirs.dirs");
    if (in) {
        std::stringstream text;
        text << in.rdbuf();
        std::string dir = ReadUserDirEntry(text.str(), key, home);
        if (!dir.empty()) {
            return StripTrailingSlashes(dir);
        }
    }
    return home.empty() ? std::string() : home + fallbackUnderHome;
}

}  // namespace

std::string ReadUserDirEntry(const std::string& fileText, const std::string& key,
                             const std::string& home) {
    std::istringstream lines(fileText);
    std::string line;
    const std::string lead = key + "=";
    while (std::getline(lines, line)) {
        if (line.compare(0, lead.size(), lead) != 0) {
            continue;
        }
        std::string value = line.substr(lead.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        if (value.compare(0, 5, "$HOME") == 0) {
            value = home + value.substr(5);
        }
        // Relative entries are not allowed by the format; ignore them.
        return (!value.empty() && value.front() == '/') ? value : std::string();
    }
    return std::string();
}

std::string GetHomeFolder() {
    return StripTrailingSlashes(GetEnv("HOME"));
}

std::string GetConfigHomeFolder() {
    return XdgOrHome("XDG_CONFIG_HOME", "/.config");
}

std::string GetDataHomeFolder() {
    return XdgOrHome("XDG_DATA_HOME", "/.local/share");
}

std::string GetDocumentsFolder() {
    return UserDir("XDG_DOCUMENTS_DIR", "/Documents");
}

std::string GetDesktopFolder() {
    return UserDir("XDG_DESKTOP_DIR", "/Desktop");
}

std::string GetUserApplicationsFolder() {
    const std::string data = GetDataHomeFolder();
    return data.empty() ? std::string() : data + "/applications";
}

std::string GetAllUsersApplicationsFolder() {
    return UnderRootPrefix("/usr/local/share/applications");
}

std::string GetTempFolder() {
    std::string tmp = GetEnv("TMPDIR");
    return tmp.empty() ? std::string("/tmp") : StripTrailingSlashes(tmp);
}

}  // namespace platform
