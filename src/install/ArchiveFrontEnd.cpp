#include "install/ArchiveFrontEnd.h"

#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <new>
#include <optional>
#include <vector>

#include "app/log/ILog.h"
#include "install/ExtractPathGuard.h"
#include "install/I7zFileInfoCallback.h"
#include "install/Utf8LocaleScope.h"

namespace {

// Reads of this size keep the packed data in the processor's caches while
// the decoder works on it; much larger ones measurably slow the decoding.
constexpr std::size_t kReadBlockSize = std::size_t{64} << 10;

// The library is told to refuse writing through links and ".." paths on its
// own as well. Names are handed to it as full paths below the resolved output
// folder, so it cannot be asked to refuse absolute names; the installer's own
// checks refuse them before. Permissions are applied as the process's umask
// allows, so archives that carry no Unix modes do not yield world-writable files.
constexpr int kDiskOptions =
    ARCHIVE_EXTRACT_TIME | ARCHIVE_EXTRACT_SECURE_SYMLINKS | ARCHIVE_EXTRACT_SECURE_NODOTDOT;

struct ReaderDeleter {
    void operator()(archive* handle) const { archive_read_free(handle); }
};
struct WriterDeleter {
    void operator()(archive* handle) const { archive_write_free(handle); }
};

// The archive file as the library reads it. The position of the last read
// measures the progress: the packed data is read front to back once.
struct ArchiveSource {
    ~ArchiveSource() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
    int fd = -1;
    std::vector<char> buffer;
    std::uint64_t position = 0;
    std::uint64_t size = 0;
};

la_ssize_t ReadSource(archive* handle, void* data, const void** block) {
    auto* source = static_cast<ArchiveSource*>(data);
    for (;;) {
        const ssize_t count = ::read(source->fd, source->buffer.data(), source->buffer.size());
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            archive_set_error(handle, errno, "Read error");
            return -1;
        }
        source->position += static_cast<std::uint64_t>(count);
        *block = source->buffer.data();
        return count;
    }
}

la_int64_t SeekSource(archive*, void* data, la_int64_t offset, int whence) {
    auto* source = static_cast<ArchiveSource*>(data);
    const off_t at = ::lseek(source->fd, static_cast<off_t>(offset), whence);
    if (at < 0) {
        return ARCHIVE_FATAL;
    }
    source->position = static_cast<std::uint64_t>(at);
    return at;
}

la_int64_t SkipSource(archive*, void* data, la_int64_t request) {
    auto* source = static_cast<ArchiveSource*>(data);
    const off_t from = ::lseek(source->fd, 0, SEEK_CUR);
    const off_t to = from < 0 ? -1 : ::lseek(source->fd, static_cast<off_t>(request), SEEK_CUR);
    if (to < 0) {
        return 0;  // the library then reads over the gap instead
    }
    source->position = static_cast<std::uint64_t>(to);
    return to - from;
}

// Creates the folder and every missing folder above it.
bool MakeFolders(const std::string& path) {
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        ::mkdir(path.substr(0, slash).c_str(), 0755);
    }
    struct stat info {};
    return (::mkdir(path.c_str(), 0755) == 0 || errno == EEXIST) && ::stat(path.c_str(), &info) == 0 &&
           S_ISDIR(info.st_mode);
}

const char* ErrorText(archive* handle) {
    const char* text = archive_error_string(handle);
    return text ? text : "unknown error";
}

}  // namespace

struct ArchiveFrontEnd::RunState {
    std::unique_ptr<archive, ReaderDeleter> reader;
    std::unique_ptr<archive, WriterDeleter> writer;
    ArchiveSource source;
    std::string root;  // the output folder, resolved, without a trailing "/"
    // The folder (below root) whose path was last found free of links.
    // Consecutive entries mostly share a folder, and an entry inside it can
    // only change what lies inside it, never the folder or those above, so
    // the check holds until an entry in another folder comes.
    std::optional<std::string> checkedFolder;
    unsigned lastPercent = 0;
    bool wroteData = false;
};

int ArchiveFrontEndMain(int argc, char* argv[], void* context, ArchiveErrorHook errorHook,
                        ArchiveProgressHook progressHook) {
    return ArchiveFrontEnd(context, errorHook, progressHook).Run(argc, argv);
}

ArchiveFrontEnd::ArchiveFrontEnd(void* context, ArchiveErrorHook errorHook, ArchiveProgressHook progressHook)
    : context_(context), errorHook_(errorHook), progressHook_(progressHook) {}

int ArchiveFrontEnd::Run(int argc, char* argv[]) {
    CommandLine command;
    if (!ParseCommandLine(argc, argv, command)) {
        LogPrintf("Extract command line error.\n");
        ReportError(kExtractErrorStopped);
        return kArchiveExitCommandLine;
    }
    try {
        return Extract(command);
    } catch (const std::bad_alloc&) {
        LogPrintf("Extract error : out of memory.\n");
        ReportError(kExtractErrorOutOfMemory);
        return kArchiveExitOutOfMemory;
    }
}

bool ArchiveFrontEnd::ParseCommandLine(int argc, char* argv[], CommandLine& command) {
    if (argc < 3 || argv == nullptr || argv[1] == nullptr || std::string(argv[1]) != "x") {
        return false;
    }
    bool haveArchive = false;
    for (int i = 2; i < argc; ++i) {
        if (argv[i] == nullptr) {
            return false;
        }
        const std::string argument = argv[i];
        if (argument.rfind("-o", 0) == 0 && argument.size() > 2) {
            command.outputFolder = argument.substr(2);
        } else if (argument.rfind("-p", 0) == 0) {
            command.password = argument.substr(2);
        } else if (argument == "-y") {
            // Existing files are always replaced; there is nobody to ask.
        } else if (!argument.empty() && argument.front() != '-' && !haveArchive) {
            command.archive = argument;
            haveArchive = true;
        } else {
            return false;
        }
    }
    return haveArchive;
}

int ArchiveFrontEnd::Extract(const CommandLine& command) {
    Utf8LocaleScope utf8;
    RunState run;

    char resolved[PATH_MAX];
    if (!MakeFolders(command.outputFolder) || ::realpath(command.outputFolder.c_str(), resolved) == nullptr) {
        LogPrintf("Extract error : cannot create the folder %s.\n", command.outputFolder.c_str());
        ReportError(kExtractErrorFatal);
        return kArchiveExitFatal;
    }
    run.root = resolved;
    if (run.root == "/") {
        run.root.clear();  // entry paths are appended after a "/"
    }

    run.source.fd = ::open(command.archive.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (run.source.fd < 0 || ::fstat(run.source.fd, &info) != 0) {
        LogPrintf("Extract error : cannot open the archive %s.\n", command.archive.c_str());
        ReportError(kExtractErrorFatal);
        return kArchiveExitFatal;
    }
    run.source.size = static_cast<std::uint64_t>(info.st_size);
    run.source.buffer.resize(kReadBlockSize);

    run.reader.reset(archive_read_new());
    run.writer.reset(archive_write_disk_new());
    if (!run.reader || !run.writer) {
        ReportError(kExtractErrorOutOfMemory);
        return kArchiveExitOutOfMemory;
    }
    archive* reader = run.reader.get();
    archive_read_support_format_7zip(reader);
    if (!command.password.empty()) {
        archive_read_add_passphrase(reader, command.password.c_str());
    }
    archive_read_set_read_callback(reader, ReadSource);
    archive_read_set_seek_callback(reader, SeekSource);
    archive_read_set_skip_callback(reader, SkipSource);
    archive_read_set_callback_data(reader, &run.source);
    if (archive_read_open1(reader) != ARCHIVE_OK) {
        LogPrintf("Extract error : %s : %s.\n", command.archive.c_str(), ErrorText(reader));
        ReportError(kExtractErrorArchiveErrors);
        return kArchiveExitFatal;
    }
    archive_write_disk_set_options(run.writer.get(), kDiskOptions);

    bool warnings = false;
    bool archiveErrors = false;
    bool reachedEnd = false;
    EntryOutcome stop = EntryOutcome::Done;
    while (stop == EntryOutcome::Done) {
        archive_entry* entry = nullptr;
        const int status = archive_read_next_header(reader, &entry);
        if (status == ARCHIVE_EOF) {
            reachedEnd = true;
            break;
        }
        if (status < ARCHIVE_WARN) {
            LogPrintf("Extract error : %s : %s.\n", command.archive.c_str(), ErrorText(reader));
            archiveErrors = true;
            break;
        }
        warnings = warnings || status == ARCHIVE_WARN;
        if (archive_entry_is_data_encrypted(entry) && command.password.empty()) {
            // The password would be asked for on a console; there is none.
            LogPrintf("Extract error : %s needs a password.\n", command.archive.c_str());
            ReportError(kExtractErrorNeedsPassword);
            archiveErrors = true;
            break;
        }
        switch (ExtractEntry(run, entry)) {
        case EntryOutcome::Done: break;
        case EntryOutcome::Warning: warnings = true; break;
        case EntryOutcome::DataError:
            ReportError(kExtractErrorData);
            archiveErrors = true;
            break;
        case EntryOutcome::WriteError: stop = EntryOutcome::WriteError; break;
        case EntryOutcome::OutOfMemory: stop = EntryOutcome::OutOfMemory; break;
        }
    }
    // Folder times and modes are applied here, after their contents were written.
    if (archive_write_close(run.writer.get()) != ARCHIVE_OK) {
        warnings = true;
    }

    if (stop == EntryOutcome::OutOfMemory) {
        ReportError(kExtractErrorOutOfMemory);
        return kArchiveExitOutOfMemory;
    }
    if (stop == EntryOutcome::WriteError) {
        ReportError(kExtractErrorFatal);
        return kArchiveExitFatal;
    }
    if (archiveErrors) {
        ReportError(kExtractErrorArchiveErrors);
        return kArchiveExitFatal;
    }
    if (reachedEnd && run.wroteData && run.lastPercent < 100) {
        run.lastPercent = 100;
        if (progressHook_ != nullptr) {
            progressHook_(context_, 100, 0);
        }
    }
    return warnings ? kArchiveExitWarning : kArchiveExitOk;
}

ArchiveFrontEnd::EntryOutcome ArchiveFrontEnd::ExtractEntry(RunState& run, archive_entry* entry) {
    const char* stored = archive_entry_pathname_utf8(entry);
    const std::string name = stored ? stored : "";
    const std::string safe = SafeEntryPath(name);
    const auto refuse = [&name](const char* why) {
        LogPrintf("Extract refused : %s (%s).\n", name.c_str(), why);
        return EntryOutcome::DataError;
    };
    if (safe.empty()) {
        return refuse(stored ? "path leaves the folder" : "unreadable name");
    }
    const auto type = archive_entry_filetype(entry);
    if (const char* hardlink = archive_entry_hardlink_utf8(entry)) {
        const std::string safeTarget = SafeEntryPath(hardlink);
        if (safeTarget.empty() || CrossesLinkOnDisk(run.root, safeTarget)) {
            return refuse("link leads outside the folder");
        }
        archive_entry_copy_hardlink(entry, (run.root + "/" + safeTarget).c_str());
    } else if (type == AE_IFLNK) {
        const char* target = archive_entry_symlink_utf8(entry);
        if (target == nullptr || !IsLinkTargetInside(safe, target)) {
            return refuse("link leads outside the folder");
        }
    } else if (type != AE_IFREG && type != AE_IFDIR) {
        LogPrintf("Extract skipped : %s (not a file, folder or link).\n", name.c_str());
        return EntryOutcome::Warning;
    }
    const std::size_t slash = safe.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : safe.substr(0, slash);
    if (folder != run.checkedFolder) {
        if (CrossesLinkOnDisk(run.root, safe)) {
            return refuse("path goes through a link");
        }
        run.checkedFolder = folder;
    }

    archive_entry_copy_pathname(entry, (run.root + "/" + safe).c_str());
    // Ownership bits stay behind: a program installed by root must not become set-user-id.
    archive_entry_set_perm(entry, archive_entry_perm(entry) & 0777);

    archive* writer = run.writer.get();
    int status = archive_write_header(writer, entry);
    if (status < ARCHIVE_WARN) {
        LogPrintf("Extract error : %s : %s.\n", name.c_str(), ErrorText(writer));
        return archive_errno(writer) == ENOMEM ? EntryOutcome::OutOfMemory : EntryOutcome::WriteError;
    }
    EntryOutcome outcome = status == ARCHIVE_WARN ? EntryOutcome::Warning : EntryOutcome::Done;
    if (type == AE_IFREG && archive_entry_hardlink(entry) == nullptr) {
        const EntryOutcome copied = CopyEntryData(run, name);
        if (copied != EntryOutcome::Done) {
            outcome = copied;
        }
    }
    status = archive_write_finish_entry(writer);
    if (status < ARCHIVE_WARN && outcome != EntryOutcome::DataError) {
        LogPrintf("Extract error : %s : %s.\n", name.c_str(), ErrorText(writer));
        return EntryOutcome::WriteError;
    }
    if (status == ARCHIVE_WARN && outcome == EntryOutcome::Done) {
        outcome = EntryOutcome::Warning;
    }
    return outcome;
}

ArchiveFrontEnd::EntryOutcome ArchiveFrontEnd::CopyEntryData(RunState& run, const std::string& name) {
    archive* reader = run.reader.get();
    archive* writer = run.writer.get();
    for (;;) {
        const void* block = nullptr;
        std::size_t size = 0;
        la_int64_t offset = 0;
        const int status = archive_read_data_block(reader, &block, &size, &offset);
        if (status == ARCHIVE_EOF) {
            return EntryOutcome::Done;
        }
        if (status < ARCHIVE_WARN) {
            LogPrintf("Extract data error : %s : %s.\n", name.c_str(), ErrorText(reader));
            return archive_errno(reader) == ENOMEM ? EntryOutcome::OutOfMemory : EntryOutcome::DataError;
        }
        if (size > 0) {
            if (archive_write_data_block(writer, block, size, offset) < ARCHIVE_WARN) {
                LogPrintf("Extract error : %s : %s.\n", name.c_str(), ErrorText(writer));
                return EntryOutcome::WriteError;
            }
            run.wroteData = true;
            ReportProgress(run);
        }
        // The library only warns when an item's checksum does not match; the
        // item is damaged all the same.
        if (status == ARCHIVE_WARN) {
            LogPrintf("Extract data error : %s : %s.\n", name.c_str(), ErrorText(reader));
            return EntryOutcome::DataError;
        }
    }
}

void ArchiveFrontEnd::ReportError(int code) {
    if (errorHook_ != nullptr) {
        errorHook_(context_, code);
    }
}

void ArchiveFrontEnd::ReportProgress(RunState& run) {
    if (run.source.size == 0 || progressHook_ == nullptr) {
        return;
    }
    std::uint64_t percent = run.source.position * 100 / run.source.size;
    if (percent > 99) {
        percent = 99;  // 100 is sent once the last entry is written
    }
    if (percent > run.lastPercent) {
        run.lastPercent = static_cast<unsigned>(percent);
        progressHook_(context_, static_cast<std::uint32_t>(percent), 0);
    }
}
