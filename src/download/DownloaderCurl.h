// The download engine: fetches one large file from several mirrors at once.
// The file is cut into ranges, each fetched by its own libcurl transfer on its
// own connection thread and written straight into the final file at its
// offset. A dispatcher thread moves failed and stalled ranges and splits large
// ones; when the last transfer returns the file is verified block by block and
// bad blocks are fetched again.
//
// One lock (a recursive mutex, labelled "Download_File") guards the item
// table, the counters and every item's position; the disk writes themselves
// run outside it, each connection writing only the bytes it claimed under it.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "download/ChunkBuffer.h"
#include "download/Dispatcher.h"
#include "download/DownloadConfig.h"
#include "download/DownloadFile.h"
#include "download/IDownloader.h"
#include "download/WorkerThreads.h"

class CurlTransfer;
class IXMLParse;
class ManifestCopy;

class DownloaderCurl : public IDownloader {
public:
    explicit DownloaderCurl(const DownloadConfig& config = DownloadConfig{});
    ~DownloaderCurl() override;
    DownloaderCurl(const DownloaderCurl&) = delete;
    DownloaderCurl& operator=(const DownloaderCurl&) = delete;

    HRESULT DownloadByCfgData(const char* text, std::size_t length, const std::string& downloadPath) override;
    HRESULT DownloadByCfgUrl(const std::string& manifestUrl, const std::string& downloadPath) override;
    HRESULT LoadCfgFile(const std::string& manifestPath, const std::string& downloadPath) override;
    HRESULT BeginDownload(const DownloadRequest& request) override;
    void StopDownload() override;
    bool IsDownloading() const override { return running_.load(); }
    HRESULT SetNotify(const DownloadNotify& notify) override;
    HRESULT GetDownloadInfo(DownloadSnapshot& snapshot) const override;
    DownloadStatus GetDownloadStatus() const override;
    void SetProxy(const ProxySetting& proxy) override;
    bool IsUsingFallback() const override;
    std::int32_t GetErrorCode() const override;
    std::string GetErrorName() const override;
    std::string GetLastFailLink() const override;
    std::string GetRepairLink() const override;
    std::int32_t GetCurlError() const override;
    std::vector<UrlCfg> GetAllUrlCfg() const override;
    std::vector<UrlCfg> GetUsedUrlCfg() const override;
    double GetFallbackKilobytes() const override;
    std::vector<MirrorTraffic> GetMirrorTraffic() const override;
    std::vector<FallbackEvent> GetFallbackEvents() const override;

    // The steps the engine takes on itself, public so tests can drive them.
    HRESULT OnCfgDownloaded();
    HRESULT LoadCfgData(const std::string& text);
    HRESULT LoadConfig(const IXMLParse* document, const std::string& downloadPath);
    HRESULT CheckDownload(DownloadRequest& request);
    HRESULT InitDownload();
    HRESULT BeginDownloadItem(std::int32_t id);

    // The best mirror for a range leaving 'exclude' (Dispatcher::BestUrl);
    // choosing a fallback URL marks the download as using the fallback.
    std::optional<std::string> GetBestURL(const std::string* exclude);

private:
    using Lock = std::unique_lock<std::recursive_mutex>;

    // One running transfer; the thread borrows it while the engine keeps it.
    struct Connection {
        std::int32_t id = 0;
        std::unique_ptr<CurlTransfer> transfer;
        std::atomic<bool> cancelled{false};
        ChunkBuffer pending;  // touched only by the connection's own thread
    };

    // Ends the previous start's threads, then resets for a new start.
    void PrepareStart(const std::string& downloadPath);
    // Sends the one Failed or Finished event of this start, with the running
    // flag cleared first; later calls do nothing. Lock held.
    void EndDownload(DownloadStatus status, std::int32_t a, std::int32_t b);
    // Ends the download as failed with error and the byte counts. Lock held.
    void FailDownload(DownloadError error);
    // Ends a start whose manifest step returned a failure.
    void EndStartIfFailed(HRESULT result);
    HRESULT StartDownload(const DownloadRequest& request);
    HRESULT LoadCfgFileOnEngineThread(const std::string& manifestPath);
    // Loads a new document with load and reads it as the manifest.
    HRESULT LoadDocument(const std::function<bool(IXMLParse&)>& load);
    void RunManifestCopy(std::int32_t id, const ManifestCopy& copy);
    void RunConnection(Connection* connection);
    std::size_t OnItemData(Connection& connection, const char* data, std::size_t size);
    // Writes the connection's pending bytes that are due (all of them when
    // all is set) and counts them. False when they could not be written.
    bool WritePending(Connection& connection, bool all);
    void RunDispatcher();
    void DispatchPass();
    // After a transfer returned: verify once nothing runs any more. Lock held.
    void CheckFinish(std::int32_t id);
    void CheckFinishedTransfers();
    // Verification and repair of the whole file. Lock held.
    void CheckHash();
    HRESULT RepairData(std::int64_t first, std::int64_t last);
    void CloseFile();
    void Notify(std::int32_t event, std::int32_t a, std::int32_t b);
    void WakeDispatcher();
    bool IsFallback(const std::string& url) const;
    ProxySetting Proxy() const;
    // A copy of a field taken under the lock, for the getters.
    template <typename T>
    T Locked(const T& field) const {
        Lock lock(mutex_);
        return field;
    }

    const DownloadConfig config_;
    const Dispatcher dispatcher_;

    mutable std::recursive_mutex mutex_;  // "Download_File"
    DownloadNotify notify_;
    ItemTable items_;
    std::map<std::int32_t, std::unique_ptr<Connection>> connections_;
    DownloadRequest request_;
    std::vector<UrlCfg> usedUrls_;
    std::vector<UrlCfg> allUrls_;
    UrlCfg fallback_;  // usable when a fallback mirror exists
    std::shared_ptr<DownloadFile> file_;
    std::int64_t total_ = 0;
    std::int64_t written_ = 0;
    std::size_t connectionCount_ = 0;
    std::atomic<bool> running_{false};
    std::atomic<bool> stopped_{false};
    bool startOpen_ = false;  // a start has begun and not yet sent its end event
    ProxySetting proxy_;
    bool usingFallback_ = false;  // reset by the mirror check, not by a start
    // What one start found out; emptied when a start begins.
    struct Outcome {
        DownloadStatus status = DownloadStatus::None;
        std::int32_t error = kNoError;
        std::int32_t curlError = 0;
        std::string lastFailLink;
        std::string repairLink;
        bool repairing = false;  // a block repair was started: later dispatch failures are repair failures
        std::map<std::size_t, int> blockRepairs;  // repairs per block index
        std::vector<FallbackEvent> fallbackEvents;
    };
    Outcome outcome_;
    std::string downloadPath_;
    std::string cfgPath_;

    std::mutex wakeMutex_;  // pairs with wake_; the dispatcher's sleep ends early on stop
    std::condition_variable wake_;
    WorkerThreads threads_;  // last member: joined before anything above goes
};
