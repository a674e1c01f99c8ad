#include "system/FileSystem.h"

#include <sys/stat.h>

std::string JoinPath(const std::string& base, const std::string& name) {
    if (base.empty()) {
        return name;
    }
    std::size_t skip = 0;
    while (skip < name.size() && name[skip] == '/') {
        ++skip;
    }
    if (skip == name.size()) {
        return base;
    }
    std::string joined = base;
    if (joined.back() != '/') {
        joined += '/';
    }
    joined.append(name, skip, std::string::npos);
    return joined;
}

bool CreateFolderChain(const std::string& path) {
    if (path.size() > kMaxFolderChainLength) {
        return false;
    }
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        ::mkdir(path.substr(0, slash).c_str(), 0755);
    }
    ::mkdir(path.c_str(), 0755);
    return true;
}
