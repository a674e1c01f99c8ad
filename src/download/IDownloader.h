// The only door between the setup flow and the download engine: start one
// download of the full installer, learn about it through the event callback,
// poll whether it still runs, and read the outcome and the statistics for the
// usage report afterwards.
//
// Every start ends with exactly one Failed (4) or Finished (5) event, and the
// running flag is cleared before that event is sent.
#pragma once

#include <string>
#include <vector>

#include "download/DownloadConfig.h"
#include "download/DownloadTypes.h"
#include "util/HResult.h"

class IDownloader {
public:
    // Stops the download and waits for the engine's threads before releasing anything.
    virtual ~IDownloader() = default;

    // Starts from the manifest text (copied) on a loader thread; returns at once.
    virtual HRESULT DownloadByCfgData(const char* text, std::size_t length,
                                      const std::string& downloadPath) = 0;
    // Fetches the server copy of the manifest into downloadPath + ".cfg" on a
    // thread of its own, then starts from it. E_INVALIDARG when that file
    // cannot be created.
    virtual HRESULT DownloadByCfgUrl(const std::string& manifestUrl, const std::string& downloadPath) = 0;
    // Starts from a manifest file, on the caller's thread up to the start of
    // the connections. E_INVALIDARG when the file does not parse.
    virtual HRESULT LoadCfgFile(const std::string& manifestPath, const std::string& downloadPath) = 0;
    virtual HRESULT BeginDownload(const DownloadRequest& request) = 0;
    virtual void StopDownload() = 0;
    virtual bool IsDownloading() const = 0;
    // E_POINTER when the callable is empty.
    virtual HRESULT SetNotify(const DownloadNotify& notify) = 0;
    virtual HRESULT GetDownloadInfo(DownloadSnapshot& snapshot) const = 0;
    virtual DownloadStatus GetDownloadStatus() const = 0;
    // Applied to every transfer created afterwards.
    virtual void SetProxy(const ProxySetting& proxy) = 0;
    virtual bool IsUsingFallback() const = 0;
    virtual std::int32_t GetErrorCode() const = 0;
    virtual std::string GetErrorName() const = 0;
    virtual std::string GetLastFailLink() const = 0;
    virtual std::string GetRepairLink() const = 0;
    virtual std::int32_t GetCurlError() const = 0;
    virtual std::vector<UrlCfg> GetAllUrlCfg() const = 0;
    virtual std::vector<UrlCfg> GetUsedUrlCfg() const = 0;
    virtual double GetFallbackKilobytes() const = 0;
    virtual std::vector<MirrorTraffic> GetMirrorTraffic() const = 0;
    virtual std::vector<FallbackEvent> GetFallbackEvents() const = 0;
};

// Makes a DownloaderCurl with the product's settings (or the given ones) and
// stores it in *downloader, which the caller then owns. False when downloader
// is null or the object cannot be made.
bool CreateDownloader(IDownloader** downloader);
bool CreateDownloader(IDownloader** downloader, const DownloadConfig& config);
