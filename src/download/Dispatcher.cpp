#include "download/Dispatcher.h"

#include "app/log/ILog.h"
#include "download/MirrorUrl.h"

namespace {

// The text between "http://" and the "/download/" after it, for the failure log.
std::string LinkHostForLog(const std::string& url) {
    static const std::string kScheme = "http://";
    const std::size_t scheme = url.find(kScheme);
    if (scheme == std::string::npos) {
        return {};
    }
    const std::size_t from = scheme + kScheme.size();
    const std::size_t folder = url.find("/download/", from);
    return folder == std::string::npos ? std::string() : url.substr(from, folder - from);
}

}  // namespace

std::optional<std::string> Dispatcher::BestUrl(const ItemTable& items, const std::string* exclude) {
    const DownloadItem* best = nullptr;
    for (const auto& [id, item] : items) {
        if (item.state != ItemState::Runing && item.state != ItemState::Succeed &&
            item.state != ItemState::StopByDispatch) {
            continue;
        }
        if (exclude != nullptr && !exclude->empty() && !item.url.empty() && item.url == *exclude) {
            continue;
        }
        if (item.speed > 0 && (best == nullptr || item.speed > best->speed)) {
            best = &item;
        }
    }
    if (best == nullptr) {
        return std::nullopt;
    }
    return best->url;
}

std::int32_t Dispatcher::AddItem(ItemTable& items, const DownloadItem& from, std::int64_t start, std::int64_t end,
                                 const std::string& url, std::uint32_t now) {
    DownloadItem item = from;
    item.id = static_cast<std::int32_t>(items.size());
    item.start = start;
    item.current = start;
    item.end = end;
    item.url = url;
    item.hasTransfer = false;
    item.result = 0;
    item.speed = 0;
    item.creationTick = now;
    item.lastDataTick = now;
    item.endTick = 0;
    item.state = ItemState::Runing;
    items[item.id] = item;
    return item.id;
}

std::optional<DownloadItem> Dispatcher::CoveringItem(const ItemTable& items, std::int64_t first,
                                                     std::int64_t last) {
    for (const auto& [id, item] : items) {
        if (item.start <= first && item.end >= last && item.end > item.start) {
            return item;
        }
    }
    return std::nullopt;
}

DispatchResult Dispatcher::RunPass(ItemTable& items, const DispatchContext& context) const {
    DispatchResult result;
    const auto count = static_cast<std::int32_t>(items.size());
    for (std::int32_t id = 0; id < count; ++id) {
        auto found = items.find(id);
        if (found == items.end()) {
            continue;
        }
        DownloadItem& item = found->second;
        switch (item.state) {
            case ItemState::Fail:
                if (!HandOnFailed(items, item, context, result)) {
                    return result;
                }
                break;
            case ItemState::Runing:
                HandOnStalled(items, item, context, result);
                break;
            case ItemState::Succeed:
                SplitLargest(items, item, context, result);
                break;
            case ItemState::StopByDispatch:
            case ItemState::Replaced:
                break;
        }
    }
    return result;
}

std::optional<std::string> Dispatcher::ChooseMirror(const ItemTable& items, const std::string& url,
                                                    const DispatchContext& context, FallbackKind kind,
                                                    const std::string& eventUrl, DispatchResult& result) const {
    std::optional<std::string> chosen = BestUrl(items, &url);
    if (chosen) {
        if (IsFallbackUrl(config_, *chosen)) {
            result.usedFallback = true;
        }
        return chosen;
    }
    // A failed range never goes back to the mirror that failed it; a split
    // may well open a second connection to the fallback.
    const bool mustDiffer = kind == FallbackKind::Fail;
    if (context.fallbackUrl && (!mustDiffer || *context.fallbackUrl != url)) {
        result.usedFallback = true;
        result.fallbackEvents.push_back(FallbackEvent{HostOfUrl(eventUrl), kind});
        return context.fallbackUrl;
    }
    return std::nullopt;
}

bool Dispatcher::HandOnFailed(ItemTable& items, DownloadItem& item, const DispatchContext& context,
                              DispatchResult& result) const {
    if (item.current >= item.end + 1) {
        item.state = ItemState::StopByDispatch;  // the range arrived in full before the error
        return true;
    }
    const bool bounced = item.handoffs >= context.maxRangeHandoffs;
    std::optional<std::string> url;
    if (bounced) {
        LogPrintf("Download_Dispatch : range of ID(%d) failed on %d mirrors in a row, giving up.\n", item.id,
                  item.handoffs + 1);
    } else {
        url = ChooseMirror(items, item.url, context, FallbackKind::Fail, item.url, result);
    }
    if (!url) {
        LogPrintf("Download_Dispatch : download error fail , ID(%d).\n", item.id);
        const std::string link = LinkHostForLog(item.url);
        if (!link.empty()) {
            LogPrintf("Download_Dispatch link :(%s).\n", link.c_str());
        }
        result.failed = true;
        // A range that every mirror keeps failing is a dispatch failure even during repair.
        result.error = context.repairing && !bounced ? kRepairFailError : kDispatchFailError;
        result.curlError = item.result;
        result.failLink = item.url;
        return false;
    }
    const DownloadItem from = item;
    const std::int32_t id = AddItem(items, from, from.current, from.end, *url, context.now);
    items[id].handoffs = from.handoffs + 1;
    items[from.id].state = ItemState::Replaced;
    result.newItems.push_back(id);
    return true;
}

void Dispatcher::HandOnStalled(ItemTable& items, DownloadItem& item, const DispatchContext& context,
                               DispatchResult& result) const {
    if (context.total > 0 &&
        static_cast<double>(context.written) / static_cast<double>(context.total) > kStallFreeShare) {
        return;
    }
    if (context.fallbackUrl && item.url == *context.fallbackUrl) {
        return;
    }
    if (context.now - item.lastDataTick < context.stallTimeMs) {
        return;
    }
    if (item.current > item.end) {
        // The whole range is in; only the connection lingers. End it.
        item.state = ItemState::StopByDispatch;
        return;
    }
    if (item.handoffs >= context.maxRangeHandoffs) {
        return;  // left to the low-speed limit: if the transfer dies, the failure path ends the download
    }
    const std::optional<std::string> url =
        ChooseMirror(items, item.url, context, FallbackKind::Stall, item.url, result);
    if (!url) {
        return;
    }
    const DownloadItem from = item;
    const std::int32_t id = AddItem(items, from, from.current, from.end, *url, context.now);
    items[id].handoffs = from.handoffs + 1;
    DownloadItem& old = items[from.id];
    // The old connection keeps the bytes before its current position; the
    // new one starts exactly there, so no byte is fetched twice.
    old.end = from.current - 1;
    old.state = ItemState::StopByDispatch;
    result.newItems.push_back(id);
}

void Dispatcher::SplitLargest(ItemTable& items, const DownloadItem& finished, const DispatchContext& context,
                              DispatchResult& result) const {
    std::size_t running = 0;
    const DownloadItem* largest = nullptr;
    for (const auto& [id, item] : items) {
        if (item.state != ItemState::Runing) {
            continue;
        }
        ++running;
        if (largest == nullptr || item.end - item.current > largest->end - largest->current) {
            largest = &item;
        }
    }
    if (running >= context.connectionCount || largest == nullptr ||
        largest->end - largest->current < kMinSplitRemaining) {
        return;
    }
    const std::int32_t largestId = largest->id;
    std::optional<std::string> url =
        ChooseMirror(items, largest->url, context, FallbackKind::Split, finished.url, result);
    if (!url) {
        url = finished.url;
    }
    const DownloadItem from = *largest;
    const std::int64_t half = (from.end - from.current) / 2;
    const std::int32_t id = AddItem(items, from, from.current + half, from.end, *url, context.now);
    items[id].handoffs = 0;
    // The halves meet without sharing a byte.
    items[largestId].end = from.current + half - 1;
    result.newItems.push_back(id);
}
