#include "system/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cstring>

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

namespace {

// Empties the folder open as folderFd (which this call takes over). Every
// step works relative to the open folder and refuses to follow links, so a
// link placed in the tree, even while the walk runs, never leads outside it.
bool DeleteFolderContents(int folderFd) {
    DIR* listing = ::fdopendir(folderFd);
    if (listing == nullptr) {
        ::close(folderFd);
        return false;
    }
    const int at = ::dirfd(listing);
    while (const dirent* entry = ::readdir(listing)) {
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) {
            continue;
        }
        struct stat info {};
        if (::fstatat(at, name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
            continue;
        }
        if (S_ISDIR(info.st_mode)) {
            const int child = ::openat(at, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (child >= 0) {
                DeleteFolderContents(child);
            }
            ::unlinkat(at, name, AT_REMOVEDIR);
        } else {
            ::unlinkat(at, name, 0);
        }
    }
    ::closedir(listing);
    return true;
}

}  // namespace

bool DeleteTree(const std::string& folder) {
    if (folder.empty()) {
        return false;
    }
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 || !DeleteFolderContents(fd)) {
        return false;
    }
    ::rmdir(folder.c_str());
    return true;
}

std::uint64_t GetFreeSpaceMB(const std::string& folder) {
    struct statvfs volume {};
    if (folder.empty() || ::statvfs(folder.c_str(), &volume) != 0) {
        return 0;
    }
    const double bytes = static_cast<double>(volume.f_bfree) * static_cast<double>(volume.f_frsize);
    return static_cast<std::uint64_t>(bytes / 1024.0 / 1024.0);
}
