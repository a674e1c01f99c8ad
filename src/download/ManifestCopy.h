// Fetching the server copy of the manifest into a file beside the download
// (the download path with ".cfg" appended), one attempt at a time.
#pragma once

#include <cstdint>
#include <string>

#include "download/CurlTransfer.h"
#include "download/DownloadConfig.h"

class ManifestCopy {
public:
    // A manifest is a few hundred kilobytes; a far larger answer is not one.
    static constexpr std::size_t kMaxSize = 16u << 20;
    static constexpr int kAttempts = 3;

    ManifestCopy(const DownloadConfig& config, std::string url, std::string path);

    // False when the copy's file cannot be created (its folders are made first).
    bool CanCreateFile() const;

    // One attempt: the file is written afresh. Returns the transfer's result;
    // stored is the byte count written.
    CURLcode Fetch(const ProxySetting& proxy, const CurlTransfer::AbortCheck& abort, std::int64_t& stored) const;

    const std::string& Path() const { return path_; }

private:
    const DownloadConfig& config_;  // borrowed from the engine
    std::string url_;
    std::string path_;
};
