// Packs a folder of product files into a 7z archive (LZMA2) for a setup
// package: folders, files with their modes and modification times, and
// symbolic links, in a stable name order.
#pragma once

#include <string>

class ProductArchiver {
public:
    // 0 (fastest) to 9 (smallest); the library's default is 6.
    explicit ProductArchiver(int compressionLevel = 6);

    // Writes the archive of everything below folder (the folder itself is
    // not an entry). False with a reason in error() on any failure; a
    // partly written archive is then removed.
    bool Pack(const std::string& folder, const std::string& archivePath);

    const std::string& error() const { return error_; }

private:
    int compressionLevel_;
    std::string error_;
};
