#include "FileSource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace mirror {

FileSource::~FileSource() {
    if (fd_ >= 0) {
        close(fd_);
    }
}

bool FileSource::Open(const std::string& path, std::string& error) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        error = path + " is not a regular file";
        close(fd);
        return false;
    }
    fd_ = fd;
    size_ = static_cast<uint64_t>(info.st_size);
    modified_ = info.st_mtime;
    return true;
}

bool FileSource::ReadAt(uint64_t offset, char* buffer, size_t length) const {
    size_t done = 0;
    while (done < length) {
        const ssize_t got = pread(fd_, buffer + done, length - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        done += static_cast<size_t>(got);
    }
    return true;
}

}  // namespace mirror
