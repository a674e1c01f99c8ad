#include "download/DownloadFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>

#include "system/FileSystem.h"

std::shared_ptr<DownloadFile> DownloadFile::Create(const std::string& path, std::int64_t size, int& error) {
    const std::size_t slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0) {
        CreateFolderChain(path.substr(0, slash));
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = errno;
        return nullptr;
    }
    if (size > 0 && ::ftruncate(fd, static_cast<off_t>(size)) != 0) {
        error = errno;
        ::close(fd);
        return nullptr;
    }
    error = 0;
    return std::shared_ptr<DownloadFile>(new DownloadFile(fd));
}

DownloadFile::~DownloadFile() {
    Close();
}

DownloadFile::WriteResult DownloadFile::WriteAt(const void* data, std::size_t size, std::int64_t offset) {
    std::shared_lock lock(mutex_);
    if (fd_ < 0) {
        return WriteResult::Closed;
    }
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = ::pwrite(fd_, bytes, size, static_cast<off_t>(offset));
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return WriteResult::Failed;
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
        offset += written;
    }
    return WriteResult::Written;
}

int DownloadFile::Close() {
    std::unique_lock lock(mutex_);
    if (fd_ < 0) {
        return 0;
    }
    const int result = ::close(fd_);
    fd_ = -1;
    return result;
}
