#include "download/DownloaderCurl.h"

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <new>

#include "app/log/ILog.h"
#include "download/BlockVerifier.h"
#include "download/CurlTransfer.h"
#include "download/DownloadManifest.h"
#include "download/ItemProgress.h"
#include "download/ManifestCopy.h"
#include "download/MirrorProbe.h"
#include "download/MirrorSelector.h"
#include "download/MirrorUrl.h"
#include "download/RangePlan.h"
#include "download/TrafficCounter.h"
#include "platform/Tick.h"
#include "util/IXMLParse.h"

namespace {

// Events carry the low 32 bits of byte counts.
std::int32_t Low32(std::int64_t value) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(value)));
}

bool FileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

bool CreateDownloader(IDownloader** downloader) {
    return CreateDownloader(downloader, DownloadConfig{});
}

bool CreateDownloader(IDownloader** downloader, const DownloadConfig& config) {
    if (downloader == nullptr) {
        return false;
    }
    *downloader = new (std::nothrow) DownloaderCurl(config);
    return *downloader != nullptr;
}

DownloaderCurl::DownloaderCurl(const DownloadConfig& config) : config_(config), dispatcher_(config_) {}

DownloaderCurl::~DownloaderCurl() {
    // Every engine thread is bounded (transfers abort once stopped, probes and
    // pings have time limits), so waiting for all of them cannot hang, and
    // nothing is released while one of them still runs.
    StopDownload();
    threads_.JoinAll();
}

void DownloaderCurl::PrepareStart(const std::string& downloadPath) {
    // A start on an engine that ran before: end the old start's threads first,
    // so none of them touches the new one.
    StopDownload();
    threads_.JoinAll();
    Lock lock(mutex_);
    stopped_ = false;
    running_ = true;
    startOpen_ = true;
    written_ = 0;
    outcome_ = Outcome{};
    items_.clear();
    connections_.clear();
    downloadPath_ = downloadPath;
}

void DownloaderCurl::EndDownload(DownloadStatus status, std::int32_t a, std::int32_t b) {
    Lock lock(mutex_);
    if (!startOpen_) {
        return;
    }
    startOpen_ = false;
    running_ = false;
    outcome_.status = status;
    CloseFile();
    WakeDispatcher();
    Notify(status == DownloadStatus::Finished ? kEventFinished : kEventFailed, a, b);
}

void DownloaderCurl::FailDownload(DownloadError error) {
    Lock lock(mutex_);
    outcome_.error = error;
    EndDownload(DownloadStatus::Failed, Low32(written_), Low32(total_));
}

void DownloaderCurl::EndStartIfFailed(HRESULT result) {
    if (SUCCEEDED(result)) {
        return;
    }
    Lock lock(mutex_);
    const bool rejected = outcome_.status == DownloadStatus::ConfigRejected;
    EndDownload(rejected ? DownloadStatus::ConfigRejected : DownloadStatus::Failed, 0, 0);
}

HRESULT DownloaderCurl::DownloadByCfgData(const char* text, std::size_t length, const std::string& downloadPath) {
    PrepareStart(downloadPath);
    const bool hasText = text != nullptr;
    std::string copy = hasText ? std::string(text, length) : std::string();
    const int thread = threads_.Start([this, hasText, copy = std::move(copy)] {
        const HRESULT result = hasText ? LoadCfgData(copy) : E_FAIL;
        EndStartIfFailed(result);
        if (result == S_OK) {
            LogPrintf("Download_Thread_Download_Cfg : succeed.\n");
        } else {
            LogPrintf("Download_Thread_Download_Cfg : failed.\n");
            LogPrintf("Download_Thread_Download_Cfg : error.\n");
        }
    });
    if (thread == 0) {
        EndDownload(DownloadStatus::Failed, 0, 0);
    }
    return S_OK;
}

HRESULT DownloaderCurl::LoadCfgData(const std::string& text) {
    return LoadDocument([&text](IXMLParse& document) { return document.LoadFromMemory(text.data(), text.size()); });
}

HRESULT DownloaderCurl::LoadCfgFile(const std::string& manifestPath, const std::string& downloadPath) {
    PrepareStart(downloadPath);
    const HRESULT result = LoadCfgFileOnEngineThread(manifestPath);
    EndStartIfFailed(result);
    return result;
}

HRESULT DownloaderCurl::LoadCfgFileOnEngineThread(const std::string& manifestPath) {
    return LoadDocument([&manifestPath](IXMLParse& document) { return document.LoadFile(manifestPath); });
}

HRESULT DownloaderCurl::LoadDocument(const std::function<bool(IXMLParse&)>& load) {
    const std::shared_ptr<IXMLParse> document = CreateXMLParse();
    if (!load(*document)) {
        Lock lock(mutex_);
        outcome_.error = kConfigLoadError;
        return E_INVALIDARG;
    }
    return LoadConfig(document.get(), downloadPath_);
}

HRESULT DownloaderCurl::LoadConfig(const IXMLParse* document, const std::string& downloadPath) {
    const ManifestReadResult manifest = DownloadManifest::Read(document, downloadPath);
    if (FAILED(manifest.result)) {
        Lock lock(mutex_);
        outcome_.error = manifest.error;
        if (manifest.rejected) {
            outcome_.status = DownloadStatus::ConfigRejected;
        }
        return manifest.result;
    }
    if (DownloadManifest::IsAlreadyComplete(downloadPath, manifest.request.wholeDigest)) {
        Lock lock(mutex_);
        outcome_.error = kNoNeedDownload;
        EndDownload(DownloadStatus::Finished, 0, 1);
        return S_OK;
    }
    return StartDownload(manifest.request);
}

HRESULT DownloaderCurl::BeginDownload(const DownloadRequest& request) {
    PrepareStart(request.path);
    const HRESULT result = StartDownload(request);
    EndStartIfFailed(result);
    return result;
}

HRESULT DownloaderCurl::StartDownload(const DownloadRequest& request) {
    DownloadRequest working = request;
    {
        Lock lock(mutex_);
        request_ = request;
        total_ = request.size;
    }
    if (FAILED(CheckDownload(working))) {
        LogPrintf("Error : BeginDownload (CheckDownload(siItem) != S_OK).\n");
        Lock lock(mutex_);
        outcome_.error = kDownloadCheckUrlError;
        return E_FAIL;
    }
    Lock lock(mutex_);
    if (stopped_) {
        return E_ABORT;  // stopped during the mirror check: leave the file on disk alone
    }
    request_ = working;
    CloseFile();
    written_ = 0;
    total_ = request_.size;
    int error = 0;
    file_ = DownloadFile::Create(request_.path, total_, error);
    if (!file_) {
        LogPrintf("Download_BeginDownload : cannot create the download file (%s), errno(%d).\n",
                  request_.path.c_str(), error);
        outcome_.error = kDownloadExeError;
        return E_FAIL;
    }
    LogPrintf("Download_BeginDownload : OpenFile(%d), Mutex(%d), File(%s).\n", file_->Descriptor(), 1,
              request_.path.c_str());
    return InitDownload();
}

HRESULT DownloaderCurl::CheckDownload(DownloadRequest& request) {
    MirrorProbe probe(config_, Proxy());
    MirrorSelector selector(config_, probe);
    MirrorSelection selection = selector.Select(request, [this] { return stopped_.load(); });
    Lock lock(mutex_);
    usingFallback_ = false;
    allUrls_ = std::move(selection.all);
    usedUrls_ = std::move(selection.used);
    fallback_ = selection.fallback;
    request.connectionsPerMirror = selection.connectionsPerMirror;
    return usedUrls_.empty() ? E_FAIL : S_OK;
}

HRESULT DownloaderCurl::DownloadByCfgUrl(const std::string& manifestUrl, const std::string& downloadPath) {
    PrepareStart(downloadPath);
    const std::int64_t length = MirrorProbe(config_, Proxy()).FileLength(manifestUrl);
    Lock lock(mutex_);
    const std::int32_t id =
        Dispatcher::AddItem(items_, DownloadItem{}, 0, length, manifestUrl, platform::GetTickCount32());
    cfgPath_ = downloadPath + ".cfg";
    auto copy = std::make_shared<ManifestCopy>(config_, manifestUrl, cfgPath_);
    if (!copy->CanCreateFile()) {
        LogPrintf("Download_Thread_Download_Cfg : cannot create (%s).\n", cfgPath_.c_str());
        outcome_.error = kConfigDownloadError;
        EndDownload(DownloadStatus::Failed, 0, 0);
        return E_INVALIDARG;
    }
    const int thread = threads_.Start([this, id, copy] { RunManifestCopy(id, *copy); });
    LogPrintf("Download_BeginDownload : Download link id(%d) thread(%d).\n", id, thread);
    if (thread == 0) {
        EndDownload(DownloadStatus::Failed, 0, 0);
    }
    return S_OK;
}

void DownloaderCurl::RunManifestCopy(std::int32_t id, const ManifestCopy& copy) {
    for (int attempt = 1; attempt <= ManifestCopy::kAttempts && !stopped_; ++attempt) {
        {
            Lock lock(mutex_);
            items_[id].state = ItemState::Runing;
        }
        std::int64_t stored = 0;
        const CURLcode result = copy.Fetch(Proxy(), [this] { return stopped_.load(); }, stored);
        {
            Lock lock(mutex_);
            DownloadItem& item = items_[id];
            item.endTick = platform::GetTickCount32();
            item.result = result;
            item.current = stored;
            item.state = result == CURLE_OK ? ItemState::Succeed : ItemState::Fail;
        }
        if (result == CURLE_OK) {
            // The copy arrived: its content decides the start, another attempt would not change it.
            LogPrintf(OnCfgDownloaded() == S_OK ? "Download_Thread_Download_Cfg : succeed.\n"
                                                : "Download_Thread_Download_Cfg : failed.\n");
            return;
        }
        LogPrintf("Download_Thread_Download_Cfg : failed.\n");
    }
    Lock lock(mutex_);
    if (!stopped_) {
        outcome_.error = kConfigDownloadError;
        LogPrintf("Download_Thread_Download_Cfg : error.\n");
    }
    EndDownload(DownloadStatus::Failed, 0, 0);
}

HRESULT DownloaderCurl::OnCfgDownloaded() {
    const HRESULT result = FileExists(cfgPath_) ? LoadCfgFileOnEngineThread(cfgPath_) : E_FAIL;
    EndStartIfFailed(result);
    return result;
}

HRESULT DownloaderCurl::InitDownload() {
    Lock lock(mutex_);
    const std::size_t mirrors = usedUrls_.size();
    if (mirrors < 1) {
        outcome_.error = kDownloadUrlCountError;
        return E_INVALIDARG;
    }
    written_ = 0;
    items_.clear();
    connections_.clear();  // the threads that used them were joined when this start began
    if (!stopped_) {
        running_ = true;
    }
    const std::vector<PlannedRange> ranges =
        RangePlan::Cut(total_, static_cast<int>(mirrors), request_.connectionsPerMirror);
    connectionCount_ = ranges.size();
    for (const PlannedRange& range : ranges) {
        const std::string& url = usedUrls_[static_cast<std::size_t>(range.mirror)].url;
        // Connections given to the fallback from the start use it as much as moved ones.
        usingFallback_ = usingFallback_ || IsFallback(url);
        BeginDownloadItem(Dispatcher::AddItem(items_, DownloadItem{}, range.start, range.end, url,
                                              platform::GetTickCount32()));
    }
    if (ranges.empty()) {
        CheckFinishedTransfers();  // an empty file: nothing to fetch, only to verify
        return S_OK;
    }
    const int thread = threads_.Start([this] { RunDispatcher(); });
    LogPrintf("Download_InitDownload : start download dispatch, thread(%d).\n", thread);
    if (thread == 0) {
        EndDownload(DownloadStatus::Failed, Low32(written_), Low32(total_));
    }
    return S_OK;
}

HRESULT DownloaderCurl::BeginDownloadItem(std::int32_t id) {
    Lock lock(mutex_);
    const auto found = items_.find(id);
    if (found == items_.end()) {
        return E_INVALIDARG;
    }
    DownloadItem& item = found->second;
    if (!running_) {
        item.state = ItemState::StopByDispatch;  // stopped meanwhile: no new transfer
        return S_OK;
    }
    threads_.ReapFinished();
    auto connection = std::make_unique<Connection>();
    connection->id = id;
    connection->transfer =
        std::make_unique<CurlTransfer>(CurlTransfer::ForRange(config_, proxy_, item.url, item.current, item.end));
    if (!connection->transfer->IsValid()) {
        LogPrintf("Download_Internal Error : pItem curl == NULL.\n");
        item.state = ItemState::Fail;  // the dispatcher hands the range on
        item.result = CURLE_FAILED_INIT;
        return S_OK;
    }
    Connection* borrowed = connection.get();
    connections_[id] = std::move(connection);
    item.hasTransfer = true;
    const int thread = threads_.Start([this, borrowed] { RunConnection(borrowed); });
    if (thread == 0) {
        item.hasTransfer = false;
        item.state = ItemState::Fail;
        item.result = CURLE_FAILED_INIT;
        return S_OK;
    }
    LogPrintf("Download_BeginDownloadItem : id(%d) thread(%d).\n", id, thread);
    return S_OK;
}

void DownloaderCurl::RunConnection(Connection* connection) {
    const CurlTransfer::Sink sink = [this, connection](const char* data, std::size_t size) {
        return OnItemData(*connection, data, size);
    };
    const CurlTransfer::AbortCheck abort = [this, connection] {
        return !running_.load() || connection->cancelled.load();
    };
    const CURLcode result = connection->transfer->Perform(sink, abort);
    WritePending(*connection, true);  // before the item counts as ended, so verification sees every byte
    ItemState state = ItemState::Fail;
    std::int32_t code = result;
    {
        Lock lock(mutex_);
        DownloadItem& item = items_[connection->id];
        ItemProgress::Settle(item, result, platform::GetTickCount32());
        connection->transfer.reset();
        state = item.state;
        code = item.result;
        CheckFinish(connection->id);
    }
    if (code == 0 || state == ItemState::StopByDispatch) {
        LogPrintf("Download_Internal Finish (%d).\n", connection->id);
    } else {
        LogPrintf("Download_Internal ERROR ID(%d), Result(%d).\n", connection->id, code);
    }
}

std::size_t DownloaderCurl::OnItemData(Connection& connection, const char* data, std::size_t size) {
    std::int64_t offset = 0;
    std::size_t take = 0;
    {
        Lock lock(mutex_);
        // Bytes are claimed under the lock and written outside it: only this
        // connection writes what it claimed, and a cut or a split made before
        // the write starts after them.
        DownloadItem& item = items_[connection.id];
        take = running_ ? ItemProgress::Claim(item, size, offset) : 0;
        if (take == 0) {
            return 0;
        }
        ItemProgress::RecordChunk(item, take, platform::GetTickCount32());
    }
    if (!connection.pending.Empty() && connection.pending.End() != offset && !WritePending(connection, true)) {
        return 0;
    }
    connection.pending.Append(offset, data, take);
    if (!WritePending(connection, take < size)) {
        return 0;
    }
    // Taking less than libcurl offered ends the transfer exactly at the range's end.
    return take == size ? size : 0;
}

bool DownloaderCurl::WritePending(Connection& connection, bool all) {
    ChunkBuffer& pending = connection.pending;
    const std::size_t ready = pending.Ready(all);
    if (ready == 0) {
        return true;
    }
    std::shared_ptr<DownloadFile> file;
    {
        Lock lock(mutex_);
        file = file_;
    }
    const DownloadFile::WriteResult stored =
        file ? file->WriteAt(pending.Data(), ready, pending.Offset()) : DownloadFile::WriteResult::Closed;
    Lock lock(mutex_);
    if (stored != DownloadFile::WriteResult::Written) {
        // Closed means the download has ended; a failed write while it runs is a disk fault no mirror can mend.
        if (stored == DownloadFile::WriteResult::Failed && running_) {
            LogPrintf("Download_Write : writing %zu bytes at %lld failed, ID(%d).\n", ready,
                      static_cast<long long>(pending.Offset()), connection.id);
            FailDownload(kDownloadExeError);
        }
        pending.Clear();
        return false;
    }
    pending.Consume(ready);
    written_ = std::min(total_, written_ + static_cast<std::int64_t>(ready));
    if (running_) {
        Notify(kEventProgress, Low32(written_), Low32(total_));
    }
    return true;
}

void DownloaderCurl::RunDispatcher() {
    LogPrintf("Download_Dispatch Begining.\n");
    while (running_) {
        {
            std::unique_lock wait(wakeMutex_);
            wake_.wait_for(wait, std::chrono::milliseconds(config_.dispatchIntervalMs),
                           [this] { return !running_.load(); });
        }
        if (!running_) {
            break;
        }
        DispatchPass();
    }
    {
        Lock lock(mutex_);
        if (!stopped_ && outcome_.status != DownloadStatus::Finished && startOpen_) {
            LogPrintf("Download_Dispatch : CheckHash download failed.\n");
            EndDownload(DownloadStatus::Failed, Low32(written_), Low32(total_));
        }
    }
    LogPrintf("Download_Dispatch Endding.\n");
}

void DownloaderCurl::DispatchPass() {
    Lock lock(mutex_);
    if (!running_) {
        return;
    }
    threads_.ReapFinished();
    DispatchContext context;
    context.now = platform::GetTickCount32();
    context.total = total_;
    context.written = written_;
    context.connectionCount = connectionCount_;
    context.stallTimeMs = config_.stallTimeMs;
    context.maxRangeHandoffs = config_.maxRangeHandoffs;
    context.repairing = outcome_.repairing;
    if (fallback_.usable) {
        context.fallbackUrl = fallback_.url;
    }
    DispatchResult result = dispatcher_.RunPass(items_, context);
    usingFallback_ = usingFallback_ || result.usedFallback;
    outcome_.fallbackEvents.insert(outcome_.fallbackEvents.end(), result.fallbackEvents.begin(), result.fallbackEvents.end());
    for (const auto& [id, connection] : connections_) {
        const DownloadItem& item = items_[id];
        if (item.hasTransfer && item.state != ItemState::Runing) {
            connection->cancelled = true;  // cut short: end it even if no data comes
        }
    }
    if (result.failed) {
        outcome_.curlError = result.curlError;
        outcome_.lastFailLink = result.failLink;
        FailDownload(result.error);
        return;
    }
    for (const std::int32_t id : result.newItems) {
        BeginDownloadItem(id);
    }
    // A failed range found complete leaves nothing running: verify now.
    CheckFinishedTransfers();
}

void DownloaderCurl::CheckFinish(std::int32_t id) {
    Lock lock(mutex_);
    LogPrintf("Download_CheckFinish.\n");
    const auto found = items_.find(id);
    Notify(kEventItemEnded, id, found == items_.end() ? 0 : static_cast<std::int32_t>(found->second.state));
    for (const auto& [otherId, item] : items_) {
        if (item.hasTransfer) {
            LogPrintf("Download_CheckFinish : continue. now wait (%d).\n", otherId);
            return;
        }
    }
    CheckFinishedTransfers();
}

void DownloaderCurl::CheckFinishedTransfers() {
    Lock lock(mutex_);
    if (!running_ || !startOpen_) {
        return;
    }
    for (const auto& [id, item] : items_) {
        // A running transfer, or a failed range the dispatcher has yet to hand
        // on: verifying now would only find those bytes missing.
        if (item.hasTransfer || (item.state == ItemState::Fail && item.current <= item.end)) {
            return;
        }
    }
    CheckHash();
}

void DownloaderCurl::CheckHash() {
    const VerifyResult result =
        BlockVerifier::Verify(request_.path, request_.wholeDigest, request_.blockDigests, total_);
    if (result.outcome == VerifyOutcome::Verified) {
        LogPrintf("Download_CheckFinish : Finish download.\n");
        EndDownload(DownloadStatus::Finished, Low32(written_), Low32(total_));
        return;
    }
    if (result.outcome == VerifyOutcome::Unverifiable) {
        // Missing file, unreadable file or a block count unlike the manifest's:
        // no repair can change that, so the download ends now.
        LogPrintf("Download_Dispatch : CheckHash download failed.\n");
        FailDownload(outcome_.error == kNoError ? kCheckHashError : static_cast<DownloadError>(outcome_.error));
        return;
    }
    outcome_.repairing = true;
    for (const BadBlock& block : result.badBlocks) {
        int& repairs = outcome_.blockRepairs[block.index];
        if (repairs >= config_.maxBlockRepairs) {
            LogPrintf("Download_RepairData : block(%zu) still differs after %d repairs.\n", block.index, repairs);
            FailDownload(kRepairFailError);
            return;
        }
        ++repairs;
        if (FAILED(RepairData(block.first, block.last))) {
            FailDownload(kRepairFailError);  // this block cannot be fetched again: the file cannot verify
            return;
        }
    }
}

HRESULT DownloaderCurl::RepairData(std::int64_t first, std::int64_t last) {
    Lock lock(mutex_);
    const std::optional<DownloadItem> covering = Dispatcher::CoveringItem(items_, first, last);
    std::optional<std::string> url = GetBestURL(covering ? &covering->url : nullptr);
    if (!url) {
        if (!fallback_.usable) {
            LogPrintf("Download_RepairData : GetBestURL error, start(%lld), end(%lld).\n",
                      static_cast<long long>(first), static_cast<long long>(last));
            outcome_.repairLink.clear();
            return E_INVALIDARG;
        }
        url = fallback_.url;
        usingFallback_ = true;
        outcome_.fallbackEvents.push_back(FallbackEvent{covering ? HostOfUrl(covering->url) : "", FallbackKind::Repair});
    }
    outcome_.repairLink = *url;
    const DownloadItem model = covering ? *covering : items_.empty() ? DownloadItem{} : items_.begin()->second;
    const std::int32_t id = Dispatcher::AddItem(items_, model, first, last, *url, platform::GetTickCount32());
    items_[id].handoffs = 0;
    LogPrintf("Download_RepairData : GetBestURL Info, start(%lld), end(%lld), ID(%d).\n",
              static_cast<long long>(first), static_cast<long long>(last), id);
    BeginDownloadItem(id);
    return S_OK;
}

std::optional<std::string> DownloaderCurl::GetBestURL(const std::string* exclude) {
    Lock lock(mutex_);
    std::optional<std::string> url = Dispatcher::BestUrl(items_, exclude);
    if (url && IsFallback(*url)) {
        usingFallback_ = true;
    }
    return url;
}

void DownloaderCurl::StopDownload() {
    stopped_ = true;
    {
        Lock lock(mutex_);
        running_ = false;
        CloseFile();
        for (auto& [id, item] : items_) {
            item.state = ItemState::StopByDispatch;
        }
        for (auto& [id, connection] : connections_) {
            connection->cancelled = true;
        }
        total_ = 0;
        written_ = 0;
        EndDownload(DownloadStatus::Failed, 0, 0);  // nothing when this start has ended already
    }
    WakeDispatcher();
}

void DownloaderCurl::CloseFile() {
    Lock lock(mutex_);
    LogPrintf("Download_CloseFile.\n");
    if (file_) {
        const int result = file_->Close();
        file_.reset();
        LogPrintf("CloseFile %d.\n", result);
    }
}

void DownloaderCurl::Notify(std::int32_t event, std::int32_t a, std::int32_t b) {
    if (notify_) {
        notify_(event, a, b);
    }
}

void DownloaderCurl::WakeDispatcher() {
    std::lock_guard wake(wakeMutex_);
    wake_.notify_all();
}

HRESULT DownloaderCurl::SetNotify(const DownloadNotify& notify) {
    if (!notify) {
        return E_POINTER;
    }
    Lock lock(mutex_);
    notify_ = notify;
    return S_OK;
}

HRESULT DownloaderCurl::GetDownloadInfo(DownloadSnapshot& snapshot) const {
    Lock lock(mutex_);
    snapshot.connectionCount = static_cast<std::int32_t>(connectionCount_);
    snapshot.totalSize = total_;
    snapshot.bytesWritten = written_;
    snapshot.items = items_;
    return S_OK;
}

DownloadStatus DownloaderCurl::GetDownloadStatus() const { return Locked(outcome_.status); }
bool DownloaderCurl::IsUsingFallback() const { return Locked(usingFallback_); }
std::int32_t DownloaderCurl::GetErrorCode() const { return Locked(outcome_.error); }
std::string DownloaderCurl::GetErrorName() const { return GetDownloadErrorName(GetErrorCode()); }
std::string DownloaderCurl::GetLastFailLink() const { return Locked(outcome_.lastFailLink); }
std::string DownloaderCurl::GetRepairLink() const { return Locked(outcome_.repairLink); }
std::int32_t DownloaderCurl::GetCurlError() const { return Locked(outcome_.curlError); }
std::vector<UrlCfg> DownloaderCurl::GetAllUrlCfg() const { return Locked(allUrls_); }
std::vector<UrlCfg> DownloaderCurl::GetUsedUrlCfg() const { return Locked(usedUrls_); }
std::vector<FallbackEvent> DownloaderCurl::GetFallbackEvents() const { return Locked(outcome_.fallbackEvents); }
ProxySetting DownloaderCurl::Proxy() const { return Locked(proxy_); }

void DownloaderCurl::SetProxy(const ProxySetting& proxy) {
    Lock lock(mutex_);
    proxy_ = proxy;
}

bool DownloaderCurl::IsFallback(const std::string& url) const {
    return IsFallbackUrl(config_, url);
}

double DownloaderCurl::GetFallbackKilobytes() const {
    Lock lock(mutex_);
    return TrafficCounter::FallbackKilobytes(items_, config_);
}

std::vector<MirrorTraffic> DownloaderCurl::GetMirrorTraffic() const {
    Lock lock(mutex_);
    return TrafficCounter::PerMirror(items_, usedUrls_, config_);
}
