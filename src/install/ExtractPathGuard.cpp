#include "install/ExtractPathGuard.h"

#include <sys/stat.h>

#include <vector>

namespace {

std::vector<std::string> SplitComponents(const std::string& path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos) {
            end = path.size();
        }
        std::string part = path.substr(start, end - start);
        if (!part.empty() && part != ".") {
            parts.push_back(std::move(part));
        }
        start = end + 1;
    }
    return parts;
}

}  // namespace

std::string SafeEntryPath(const std::string& name) {
    if (name.empty() || name.front() == '/' || name.find('\0') != std::string::npos) {
        return std::string();
    }
    std::string safe;
    for (const std::string& part : SplitComponents(name)) {
        if (part == "..") {
            return std::string();
        }
        if (!safe.empty()) {
            safe += '/';
        }
        safe += part;
    }
    return safe;
}

bool IsLinkTargetInside(const std::string& entryPath, const std::string& target) {
    if (target.empty() || target.front() == '/') {
        return false;
    }
    // Depth of the folder holding the link: the number of folders above it
    // that lie inside the output folder.
    const std::vector<std::string> linkParts = SplitComponents(entryPath);
    if (linkParts.empty()) {
        return false;
    }
    const std::size_t linkFolderDepth = linkParts.size() - 1;
    std::size_t climbed = 0;
    bool descending = false;
    for (const std::string& part : SplitComponents(target)) {
        if (part == "..") {
            if (descending || ++climbed > linkFolderDepth) {
                return false;
            }
        } else {
            descending = true;
        }
    }
    return true;
}

bool CrossesLinkOnDisk(const std::string& root, const std::string& entryPath) {
    std::string path = root;
    const std::vector<std::string> parts = SplitComponents(entryPath);
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        path += '/';
        path += parts[i];
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0) {
            return false;  // not there yet: the library creates it as a folder
        }
        if (!S_ISDIR(info.st_mode)) {
            return true;
        }
    }
    return false;
}
