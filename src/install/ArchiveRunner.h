// One extraction run: builds the front end's argument vector, calls it in
// this process and hands its hooks to a callback. Also the folder routines
// the temporary archive of a buffer extraction needs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "install/I7zFileInfoCallback.h"

// Each argument of the vector must fit a buffer of this many bytes with its
// terminating NUL.
inline constexpr std::size_t kArchiveArgumentBufferSize = 1024;

class ArchiveRunner {
public:
    // The callback receives the hooks for the runner's life; it is borrowed
    // and may be null (the hooks then do nothing).
    explicit ArchiveRunner(I7zFileInfoCallback* callback);

    // Extracts the archive into the folder; an empty password adds no
    // argument. True when the front end ended without a fatal error (exit
    // code 0 or 1). False, without running anything, when an argument is
    // longer than its buffer: cutting it would extract into another folder.
    bool RunExtraction(const std::string& archivePath, const std::string& outputFolder,
                       const std::string& password);

    // The argument vector: this program's path, "x", the archive, "-o" and
    // the folder, and "-p" and the password when one is given. False when an
    // argument does not fit its buffer.
    static bool BuildArguments(const std::string& programPath, const std::string& archivePath,
                               const std::string& outputFolder, const std::string& password,
                               std::vector<std::string>& arguments);

    // False for texts shorter than two characters; one trailing "/" is
    // ignored; true when the path is an existing folder.
    static bool FolderExists(const std::string& path);
    // Creates every prefix that ends before a "/"; the last component only
    // when the text ends with "/". Refuses texts longer than 260 bytes. False
    // when refused or a level could not be made.
    static bool CreateFolderChain(const std::string& path);
    // Deletes the folder and everything in it, never following links.
    static bool DeleteFolderTree(const std::string& path);

private:
    static void OnError(void* context, int code);
    static void OnProgress(void* context, std::uint32_t low, std::uint32_t high);

    I7zFileInfoCallback* callback_;  // borrowed
};
