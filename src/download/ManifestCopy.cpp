#include "download/ManifestCopy.h"

#include "download/MirrorProbe.h"
#include "util/JFile.h"

ManifestCopy::ManifestCopy(const DownloadConfig& config, std::string url, std::string path)
    : config_(config), url_(std::move(url)), path_(std::move(path)) {}

bool ManifestCopy::CanCreateFile() const {
    JFile file;
    return file.Open(path_, JFile::Mode::Write);
}

CURLcode ManifestCopy::Fetch(const ProxySetting& proxy, const CurlTransfer::AbortCheck& abort,
                             std::int64_t& stored) const {
    stored = 0;
    JFile file;
    if (!file.Open(path_, JFile::Mode::Write)) {
        return CURLE_WRITE_ERROR;
    }
    TransferOptions options;
    options.url = url_;
    options.userAgent = MirrorProbe::kProbeUserAgent;
    options.lowSpeedLimit = config_.lowSpeedLimitBytesPerSecond;
    options.lowSpeedTime = config_.lowSpeedTimeSeconds;
    options.timeoutMs = config_.rangeTransferTimeoutSeconds * 1000;
    options.proxy = proxy;
    options.caBundle = config_.caBundle;
    const CurlTransfer::Sink sink = [&file, &stored](const char* data, std::size_t size) -> std::size_t {
        if (static_cast<std::size_t>(stored) + size > kMaxSize) {
            return 0;
        }
        const std::size_t written = file.Write(data, size);
        stored += static_cast<std::int64_t>(written);
        return written;
    };
    return CurlTransfer(options).Perform(sink, abort);
}
