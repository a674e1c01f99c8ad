// A small raw file object. Opening for writing creates the missing parent
// folders first, so callers can write straight to a path in a new folder.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

class JFile {
public:
    enum class Mode { Read, Write, Append, ReadWrite };

    JFile() = default;
    ~JFile();
    JFile(const JFile&) = delete;
    JFile& operator=(const JFile&) = delete;

    bool Open(const std::string& path, Mode mode);
    void Close();
    bool IsOpen() const { return file_ != nullptr; }

    // Bytes read or written; fewer than asked on end of file or error.
    std::size_t Read(void* buffer, std::size_t size);
    std::size_t Write(const void* buffer, std::size_t size);
    bool Seek(std::int64_t offset);
    std::int64_t Tell() const;
    // The file's size, or -1 when it is not open.
    std::int64_t Size() const;
    // Flushes the stream; false when the data could not be handed to the system.
    bool Flush();

    // Reads a whole file; false when it cannot be opened or read.
    static bool ReadAll(const std::string& path, std::string& content);
    // Writes a whole file, creating its folders; false on any failure.
    static bool WriteAll(const std::string& path, const std::string& content);

private:
    std::FILE* file_ = nullptr;
};
