// The extraction front end: a command-line style entry, called in-process,
// that extracts a 7z archive with libarchive. It takes the argument vector a
// command line would give ("x", the archive, "-o<folder>", optionally
// "-p<password>" and "-y"), reports through two hooks and returns the exit
// codes the 7-Zip command line documents.
//
// Nothing is written outside the output folder: entries with absolute names
// or ".." components, links that lead outside and entries that would be
// written through a link are refused as damaged items.
#pragma once

#include <cstdint>
#include <string>

inline constexpr int kArchiveExitOk = 0;
inline constexpr int kArchiveExitWarning = 1;
inline constexpr int kArchiveExitFatal = 2;
inline constexpr int kArchiveExitCommandLine = 7;
inline constexpr int kArchiveExitOutOfMemory = 8;
inline constexpr int kArchiveExitStopped = 255;

// Receive the context given to the entry. The error hook gets the codes of
// I7zFileInfoCallback.h; the progress hook the completed percentage (1 to
// 100) as a 64-bit value split into halves, each time it grows.
using ArchiveErrorHook = void (*)(void* context, int code);
using ArchiveProgressHook = void (*)(void* context, std::uint32_t low, std::uint32_t high);

// The entry. argv[0] is the caller's program path and is not read. Either
// hook may be null.
int ArchiveFrontEndMain(int argc, char* argv[], void* context, ArchiveErrorHook errorHook,
                        ArchiveProgressHook progressHook);

class ArchiveFrontEnd {
public:
    ArchiveFrontEnd(void* context, ArchiveErrorHook errorHook, ArchiveProgressHook progressHook);
    int Run(int argc, char* argv[]);

private:
    struct CommandLine {
        std::string archive;
        std::string outputFolder = ".";
        std::string password;
    };
    enum class EntryOutcome { Done, Warning, DataError, WriteError, OutOfMemory };
    struct RunState;

    static bool ParseCommandLine(int argc, char* argv[], CommandLine& command);
    int Extract(const CommandLine& command);
    EntryOutcome ExtractEntry(RunState& run, struct archive_entry* entry);
    EntryOutcome CopyEntryData(RunState& run, const std::string& name);
    void ReportError(int code);
    void ReportProgress(RunState& run);

    void* context_;
    ArchiveErrorHook errorHook_;
    ArchiveProgressHook progressHook_;
};
