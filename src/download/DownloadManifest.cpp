#include "download/DownloadManifest.h"

#include <cstdio>

#include "util/IXMLParse.h"
#include "util/Md5.h"

namespace {

std::string ItemPath(const char* list, int index) {
    char path[128];
    std::snprintf(path, sizeof path, "download.%s.item_%d.value", list, index);
    return path;
}

ManifestReadResult Failure(ManifestReadResult result, DownloadError error) {
    result.result = E_ABORT;
    result.error = error;
    return result;
}

}  // namespace

ManifestReadResult DownloadManifest::Read(const IXMLParse* document, const std::string& downloadPath) {
    ManifestReadResult out;
    if (document == nullptr) {
        out.result = E_INVALIDARG;
        out.error = kConfigLoadError;
        return out;
    }
    out.request.path = downloadPath;
    out.request.connectionsPerMirror = kDefaultConnectionsPerMirror;

    std::int32_t version = 0;
    if (!document->ReadInt("download.version", version)) {
        out.rejected = true;
        return Failure(std::move(out), kConfigLoadVersionError);
    }
    if (version >= kFirstUnsupportedVersion) {
        out.rejected = true;
        return Failure(std::move(out), kNeedUpdateDownload);
    }
    // A negative size cannot describe a file; it is as unusable as a missing one.
    if (!document->ReadInt("download.size", out.request.size) || out.request.size < 0) {
        return Failure(std::move(out), kConfigLoadFileSizeError);
    }
    std::int32_t urlCount = 0;
    if (!document->ReadInt("download.url.size", urlCount)) {
        return Failure(std::move(out), kConfigLoadUrlSizeError);
    }
    for (int i = 0; i < urlCount && i < kMaxMirrors; ++i) {
        UrlCfg& mirror = out.request.mirrors[i];
        if (!document->ReadString(ItemPath("url", i), mirror.url)) {
            return Failure(std::move(out), kConfigLoadUrlError);
        }
        mirror.usable = true;
    }
    std::int32_t hashCount = 0;
    if (!document->ReadInt("download.hash.size", hashCount)) {
        return Failure(std::move(out), kConfigLoadHashSizeError);
    }
    for (int i = 0; i < hashCount; ++i) {
        std::string digest;
        if (!document->ReadString(ItemPath("hash", i), digest)) {
            return Failure(std::move(out), kConfigLoadHashError);
        }
        if (i == 0) {
            out.request.wholeDigest = std::move(digest);
        } else {
            out.request.blockDigests.push_back(std::move(digest));
        }
    }
    return out;
}

bool DownloadManifest::IsAlreadyComplete(const std::string& path, const std::string& wholeDigest) {
    std::string digest;
    return Md5OfFile(path, HexCase::Upper, digest) && digest == wholeDigest;
}
