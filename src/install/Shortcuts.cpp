#include "install/Shortcuts.h"

#include <sys/stat.h>

#include <charconv>
#include <chrono>
#include <cstdint>
#include <thread>

#include "app/i18n/UITexts.h"
#include "app/log/ILog.h"
#include "install/CMyRegKey.h"
#include "install/UninstallEntry.h"
#include "platform/ChildProcess.h"
#include "platform/DesktopEntry.h"
#include "platform/Folders.h"
#include "system/FileSystem.h"

namespace {

constexpr int kTextUninstallApplication = 36;
constexpr int kTextApplication = 37;
constexpr int kTextHomepage = 39;
constexpr int kTextOnlineLinkName = 47;
constexpr int kTextUninstallLinkName = 48;

constexpr const char* kWindowMetricsKey = "Control Panel\\Desktop\\WindowMetrics";
constexpr const char* kShellIconSizeValue = "Shell Icon Size";
constexpr std::int64_t kDefaultShellIconSize = 32;
// The desktop needs a moment to notice the changed size before it changes back.
constexpr auto kIconSizeSettleTime = std::chrono::milliseconds(200);
// update-desktop-database indexes a folder in well under a second; a stuck
// run must not hold the installation.
constexpr std::uint32_t kDatabaseUpdateTimeoutMs = 10000;

bool IsFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// A name that stays inside its folder.
bool IsPlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

// A relative folder path without "..", which could lead out of the folder.
bool IsContainedPath(const std::string& path) {
    if (path.empty() || path.front() == '/') {
        return false;
    }
    std::size_t begin = 0;
    while (begin <= path.size()) {
        std::size_t end = path.find('/', begin);
        if (end == std::string::npos) end = path.size();
        if (path.compare(begin, end - begin, "..") == 0 && end - begin == 2) {
            return false;
        }
        begin = end + 1;
    }
    return true;
}

std::int64_t ParseLeadingNumber(const std::string& text) {
    std::int64_t number = 0;
    std::from_chars(text.data(), text.data() + text.size(), number);
    return number;
}

void StoreShellIconSize(std::int64_t size) {
    CMyRegKey key;
    if (key.Open(platform::RegistryRoot::kCurrentUser, kWindowMetricsKey, platform::kKeyWrite) ==
        platform::kRegSuccess) {
        key.WriteString(kShellIconSizeValue, std::to_string(size));
    }
}

void UpdateDesktopDatabase(const std::string& program, const std::string& folder) {
    if (!IsFolder(folder)) {
        return;
    }
    platform::ChildProcess child;
    int error = 0;
    if (child.Start(program, {folder}, std::string(), error) && !child.WaitFor(kDatabaseUpdateTimeoutMs)) {
        child.Kill();
    }
}

}  // namespace

std::string GetShortcutFolder(int folderCode) {
    switch (folderCode) {
    case kShortcutFolderStartMenu: return platform::GetUserApplicationsFolder();
    case kShortcutFolderCommonStartMenu: return platform::GetAllUsersApplicationsFolder();
    case kShortcutFolderDesktop: return platform::GetDesktopFolder();
    default: return std::string();
    }
}

HRESULT CreateShortcut(const ShortcutLink& link) {
    if (link.target.empty() || link.linkName.empty()) {
        return E_POINTER;
    }
    std::string folder = GetShortcutFolder(link.folderCode);
    if (folder.empty()) {
        return E_FAIL;
    }
    if (link.folderCode != kShortcutFolderDesktop && !IsFolder(folder)) {
        CreateFolderChain(folder);
    }
    if (!IsFolder(folder)) {
        return E_FAIL;
    }
    if (!link.subFolder.empty()) {
        if (!IsContainedPath(link.subFolder)) {
            return E_FAIL;
        }
        folder = JoinPath(folder, link.subFolder);
        CreateFolderChain(folder);
    }
    if (!IsPlainName(link.linkName)) {
        return E_FAIL;
    }
    platform::DesktopEntry entry;
    entry.name = link.linkName;
    entry.target = link.target;
    entry.arguments = link.arguments;
    entry.workingFolder = link.workingFolder;
    entry.comment = link.description;
    entry.icon = link.iconPath;
    // Desktop launchers must be executable to be trusted; menu entries need not.
    const unsigned mode = link.folderCode == kShortcutFolderDesktop ? 0755u : 0644u;
    return platform::WriteDesktopEntry(folder + "/" + link.linkName + ".desktop", entry, mode) ? S_OK : E_FAIL;
}

void CreateShortcuts(const ShortcutRequest& request) {
    const std::string program = JoinPath(request.installFolder, request.programName);
    const std::string uninstaller = JoinPath(request.installFolder, kUninstallerFileName);
    const std::string& name = request.shortcutName;

    if (request.desktop) {
        CreateShortcut({program, request.installFolder, name, kShortcutFolderDesktop, std::string(),
                        name + GetUIText(kTextApplication), std::string(), std::string()});
        LogPrintf("Create DESKTOP Icons Finish.");
    }
    const auto createMenu = [&](int folderCode) {
        CreateShortcut({program, request.installFolder, name, folderCode, name, name + GetUIText(kTextApplication),
                        std::string(), std::string()});
        CreateShortcut({uninstaller, request.installFolder, GetUIText(kTextUninstallLinkName), folderCode, name,
                        name + GetUIText(kTextUninstallApplication), std::string(), std::string()});
        CreateShortcut({request.homepageLink, std::string(), GetUIText(kTextOnlineLinkName), folderCode, name,
                        name + GetUIText(kTextHomepage), std::string(), std::string()});
    };
    if (request.startMenu) {
        createMenu(kShortcutFolderStartMenu);
        LogPrintf("Create START_MENU Icons Finish.");
    }
    if (request.commonStartMenu) {
        createMenu(kShortcutFolderCommonStartMenu);
        LogPrintf("Create COMMON_MENU Icons Finish.");
    }
}

void RefreshShellIcons() {
    std::int64_t size = kDefaultShellIconSize;
    {
        CMyRegKey key;
        std::string text;
        if (key.Open(platform::RegistryRoot::kCurrentUser, kWindowMetricsKey, platform::kKeyRead) ==
                platform::kRegSuccess &&
            key.ReadString(kShellIconSizeValue, text) == platform::kRegSuccess) {
            const std::int64_t stored = ParseLeadingNumber(text);
            if (stored > 0) {
                size = stored;
            }
        }
    }
    StoreShellIconSize(size + 1);
    std::this_thread::sleep_for(kIconSizeSettleTime);
    StoreShellIconSize(size);

    const std::string program = platform::FindProgramInPath("update-desktop-database");
    if (!program.empty()) {
        UpdateDesktopDatabase(program, platform::GetUserApplicationsFolder());
        UpdateDesktopDatabase(program, platform::GetAllUsersApplicationsFolder());
    }
}
