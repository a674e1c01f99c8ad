// Writes the download manifest of a setup package: its size, its name below
// the mirrors' "/download/" folder, the mirror URLs and the MD5 digests of
// the whole file and of every 1 MiB block, in upper case as the downloader
// compares them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

inline constexpr std::size_t kManifestBlockSize = 1048576;

class DownloadManifestWriter {
public:
    // The manifest text for the file. False with a reason in error() when the
    // file cannot be read or is too large for the manifest's 32-bit size.
    bool Build(const std::string& filePath, const std::string& name, const std::vector<std::string>& mirrorUrls,
               std::string& xml);

    // A text made safe for a double-quoted XML attribute.
    static std::string EscapeAttribute(const std::string& text);

    const std::string& error() const { return error_; }

private:
    std::string error_;
};
