// Reading the download manifest into a DownloadRequest, the version rule, and
// the check that skips a download whose file is already complete.
#pragma once

#include <string>

#include "download/DownloadTypes.h"
#include "util/HResult.h"

class IXMLParse;

struct ManifestReadResult {
    // S_OK; E_ABORT for an unusable manifest; E_INVALIDARG without a document.
    HRESULT result = S_OK;
    DownloadError error = kNoError;
    // The version is missing or not supported: the installer is out of date.
    bool rejected = false;
    DownloadRequest request;
};

class DownloadManifest {
public:
    // Manifest versions from this one on are not understood by this engine.
    static constexpr std::int32_t kFirstUnsupportedVersion = 2;

    // Reads version, size, up to ten mirror URLs and the digests, in that
    // order, stopping at the first entry that cannot be read. A negative size
    // counts as unreadable.
    static ManifestReadResult Read(const IXMLParse* document, const std::string& downloadPath);

    // True when a file exists at path and its upper-case MD5 equals wholeDigest.
    static bool IsAlreadyComplete(const std::string& path, const std::string& wholeDigest);
};
