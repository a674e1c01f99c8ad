#include "ProductArchiver.h"

#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <memory>
#include <vector>

#include "install/Utf8LocaleScope.h"

namespace {

struct WriterDeleter {
    void operator()(archive* handle) const { archive_write_free(handle); }
};
struct EntryDeleter {
    void operator()(archive_entry* entry) const { archive_entry_free(entry); }
};

// Every entry below the folder as a relative name, parents before children,
// sorted so that the same folder always gives the same archive.
bool ListEntries(const std::string& folder, std::vector<std::string>& names, std::string& error) {
    std::error_code failure;
    std::filesystem::recursive_directory_iterator walk(folder, std::filesystem::directory_options::none, failure);
    for (; !failure && walk != std::filesystem::recursive_directory_iterator(); walk.increment(failure)) {
        // Lexical: the name of a link is its own, not its target's.
        names.push_back(walk->path().lexically_relative(folder).generic_string());
    }
    if (failure) {
        error = "cannot list " + folder + ": " + failure.message();
        return false;
    }
    std::sort(names.begin(), names.end());
    return true;
}

}  // namespace

ProductArchiver::ProductArchiver(int compressionLevel) : compressionLevel_(compressionLevel) {}

bool ProductArchiver::Pack(const std::string& folder, const std::string& archivePath) {
    Utf8LocaleScope utf8;  // file names are UTF-8 whatever the process locale
    std::vector<std::string> names;
    if (!ListEntries(folder, names, error_)) {
        return false;
    }
    std::unique_ptr<archive, WriterDeleter> writer(archive_write_new());
    const std::string level = std::to_string(compressionLevel_);
    if (archive_write_set_format_7zip(writer.get()) != ARCHIVE_OK ||
        archive_write_set_format_option(writer.get(), "7zip", "compression", "lzma2") != ARCHIVE_OK ||
        archive_write_set_format_option(writer.get(), "7zip", "compression-level", level.c_str()) != ARCHIVE_OK ||
        archive_write_open_filename(writer.get(), archivePath.c_str()) != ARCHIVE_OK) {
        error_ = std::string("cannot start the archive: ") + archive_error_string(writer.get());
        return false;
    }

    std::vector<char> buffer(std::size_t{1} << 20);
    bool ok = true;
    for (const std::string& name : names) {
        const std::string path = folder + "/" + name;
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0) {
            error_ = "cannot read " + path;
            ok = false;
            break;
        }
        std::unique_ptr<archive_entry, EntryDeleter> entry(archive_entry_new());
        archive_entry_set_pathname_utf8(entry.get(), name.c_str());
        archive_entry_set_mtime(entry.get(), info.st_mtim.tv_sec, info.st_mtim.tv_nsec);
        archive_entry_set_perm(entry.get(), info.st_mode & 0777);
        int fd = -1;
        if (S_ISDIR(info.st_mode)) {
            archive_entry_set_filetype(entry.get(), AE_IFDIR);
        } else if (S_ISLNK(info.st_mode)) {
            char target[PATH_MAX];
            const ssize_t length = ::readlink(path.c_str(), target, sizeof target - 1);
            if (length < 0) {
                error_ = "cannot read the link " + path;
                ok = false;
                break;
            }
            target[length] = '\0';
            archive_entry_set_filetype(entry.get(), AE_IFLNK);
            archive_entry_set_symlink_utf8(entry.get(), target);
        } else if (S_ISREG(info.st_mode)) {
            fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
            if (fd < 0) {
                error_ = "cannot open " + path;
                ok = false;
                break;
            }
            archive_entry_set_filetype(entry.get(), AE_IFREG);
            archive_entry_set_size(entry.get(), info.st_size);
        } else {
            continue;  // sockets, pipes and devices are no product files
        }
        if (archive_write_header(writer.get(), entry.get()) != ARCHIVE_OK) {
            error_ = "cannot add " + name + ": " + archive_error_string(writer.get());
            ok = false;
        }
        for (ssize_t count = 0; ok && fd >= 0 && (count = ::read(fd, buffer.data(), buffer.size())) != 0;) {
            if (count < 0 || archive_write_data(writer.get(), buffer.data(), static_cast<std::size_t>(count)) != count) {
                error_ = "cannot pack " + path;
                ok = false;
            }
        }
        if (fd >= 0) {
            ::close(fd);
        }
        if (!ok) {
            break;
        }
    }
    if (archive_write_close(writer.get()) != ARCHIVE_OK && ok) {
        error_ = std::string("cannot finish the archive: ") + archive_error_string(writer.get());
        ok = false;
    }
    if (!ok) {
        ::unlink(archivePath.c_str());
    }
    return ok;
}
