// The served file, opened once and read at offsets by every connection at the
// same time (pread shares no file position), so that a 1.25 GB file is never
// held in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

namespace mirror {

class FileSource {
public:
    FileSource() = default;
    ~FileSource();
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    // Opens a regular file; false with a reason in `error` otherwise.
    bool Open(const std::string& path, std::string& error);

    uint64_t Size() const { return size_; }
    std::time_t ModifiedTime() const { return modified_; }

    // Reads exactly `length` bytes at `offset`; false when the file has become
    // shorter or cannot be read.
    bool ReadAt(uint64_t offset, char* buffer, size_t length) const;

private:
    int fd_ = -1;
    uint64_t size_ = 0;
    std::time_t modified_ = 0;
};

}  // namespace mirror
