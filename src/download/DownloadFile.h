// The download file: one descriptor written by every connection at its own
// offsets (pwrite), so no stream position is shared between the writers.
// Closing waits for writes in flight and refuses later ones, so no byte lands
// after the close and a reused descriptor number is never written to.
#pragma once

#include <cstdint>
#include <memory>
#include <shared_mutex>
#include <string>

class DownloadFile {
public:
    enum class WriteResult { Written, Closed, Failed };

    // Creates (or empties) the file, creating its folders, and gives it its
    // final size so every block exists from the start. Null on failure, with
    // errno's value in error.
    static std::shared_ptr<DownloadFile> Create(const std::string& path, std::int64_t size, int& error);

    ~DownloadFile();
    DownloadFile(const DownloadFile&) = delete;
    DownloadFile& operator=(const DownloadFile&) = delete;

    WriteResult WriteAt(const void* data, std::size_t size, std::int64_t offset);
    // The descriptor's close result; 0 when it was closed already.
    int Close();
    int Descriptor() const { return fd_; }

private:
    explicit DownloadFile(int fd) : fd_(fd) {}

    std::shared_mutex mutex_;  // writes share it; Close takes it alone
    int fd_ = -1;
};
