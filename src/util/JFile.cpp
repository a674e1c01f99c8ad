#include "util/JFile.h"

#include <sys/stat.h>

#include <cerrno>

namespace {

// Creates every missing folder above the file; existing ones are left alone.
void CreateParentFolders(const std::string& path) {
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        const std::string folder = path.substr(0, slash);
        if (::mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) {
            return;
        }
    }
}

}  // namespace

JFile::~JFile() {
    Close();
}

bool JFile::Open(const std::string& path, Mode mode) {
    Close();
    const char* how = "rb";
    switch (mode) {
        case Mode::Read: how = "rb"; break;
        case Mode::Write: how = "wb"; break;
        case Mode::Append: how = "ab"; break;
        case Mode::ReadWrite: how = "r+b"; break;
    }
    if (mode == Mode::Write || mode == Mode::Append) {
        CreateParentFolders(path);
    }
    file_ = std::fopen(path.c_str(), how);
    return file_ != nullptr;
}

void JFile::Close() {
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
}

std::size_t JFile::Read(void* buffer, std::size_t size) {
    return file_ ? std::fread(buffer, 1, size, file_) : 0;
}

std::size_t JFile::Write(const void* buffer, std::size_t size) {
    return file_ ? std::fwrite(buffer, 1, size, file_) : 0;
}

bool JFile::Seek(std::int64_t offset) {
    return file_ && fseeko(file_, static_cast<off_t>(offset), SEEK_SET) == 0;
}

std::int64_t JFile::Tell() const {
    return file_ ? static_cast<std::int64_t>(ftello(file_)) : -1;
}

std::int64_t JFile::Size() const {
    if (file_ == nullptr) {
        return -1;
    }
    struct stat info {};
    if (::fstat(fileno(file_), &info) != 0) {
        return -1;
    }
    return static_cast<std::int64_t>(info.st_size);
}

bool JFile::Flush() {
    return file_ && std::fflush(file_) == 0;
}

bool JFile::ReadAll(const std::string& path, std::string& content) {
    JFile file;
    if (!file.Open(path, Mode::Read)) {
        return false;
    }
    const std::int64_t size = file.Size();
    if (size < 0) {
        return false;
    }
    std::string data(static_cast<std::size_t>(size), '\0');
    if (file.Read(data.data(), data.size()) != data.size()) {
        return false;
    }
    content = std::move(data);
    return true;
}

bool JFile::WriteAll(const std::string& path, const std::string& content) {
    JFile file;
    if (!file.Open(path, Mode::Write)) {
        return false;
    }
    const bool written = file.Write(content.data(), content.size()) == content.size();
    // A full disk often shows only when the buffered bytes are flushed.
    const bool flushed = file.Flush();
    return written && flushed;
}
