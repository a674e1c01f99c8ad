// The dispatcher's decisions, made over the item table once per pass:
// - a failed connection's rest of range moves to the fastest other mirror
//   (else the fallback), or the download fails when there is none;
// - a connection without data for the stall time loses the rest of its range
//   the same way, except in the last 10 % of the download and on the fallback;
// - a finished connection, while fewer connections run than the download
//   started with, splits the largest remaining range in two.
// The caller holds the engine lock, starts the items this pass created and
// acts on a failure. No transfer code here: only ranges, states and URLs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "download/DownloadConfig.h"
#include "download/DownloadTypes.h"

struct DispatchContext {
    std::uint32_t now = 0;
    std::int64_t total = 0;
    std::int64_t written = 0;
    std::size_t connectionCount = 0;
    std::uint32_t stallTimeMs = kStallTimeMs;
    int maxRangeHandoffs = kMaxRangeHandoffs;
    bool repairing = false;
    // The fallback mirror's URL when one exists.
    std::optional<std::string> fallbackUrl;
};

struct DispatchResult {
    std::vector<std::int32_t> newItems;  // to begin, in creation order
    std::vector<FallbackEvent> fallbackEvents;
    bool usedFallback = false;
    bool failed = false;
    DownloadError error = kNoError;
    std::int32_t curlError = 0;
    std::string failLink;
};

class Dispatcher {
public:
    // Stalls are left alone once this share of the file is written.
    static constexpr double kStallFreeShare = 0.9;
    // A range with less left than this is not split.
    static constexpr std::int64_t kMinSplitRemaining = 512000;

    // config is borrowed for the dispatcher's life (it tells fallback URLs apart).
    explicit Dispatcher(const DownloadConfig& config) : config_(config) {}

    // One pass over the items that exist when it begins, in id order; items it
    // creates wait for the next pass. Stops at the first failure.
    DispatchResult RunPass(ItemTable& items, const DispatchContext& context) const;

    // The URL of the fastest item (running, finished or cut short) whose URL
    // is not excluded; items that measured no speed are never taken, and the
    // first in id order wins a tie.
    static std::optional<std::string> BestUrl(const ItemTable& items, const std::string* exclude);

    // A new running item copied from 'from' for bytes start..end at url,
    // numbered after the last item, added to the table. Returns its id.
    static std::int32_t AddItem(ItemTable& items, const DownloadItem& from, std::int64_t start, std::int64_t end,
                                const std::string& url, std::uint32_t now);

    // The item a repair of bytes first..last copies: the first in id order
    // whose range covers them all; none when no item does.
    static std::optional<DownloadItem> CoveringItem(const ItemTable& items, std::int64_t first, std::int64_t last);

private:
    // The mirror a range leaving 'url' goes to: the fastest other one, else
    // the fallback (an event of kind for eventUrl's host), else none.
    std::optional<std::string> ChooseMirror(const ItemTable& items, const std::string& url,
                                            const DispatchContext& context, FallbackKind kind,
                                            const std::string& eventUrl, DispatchResult& result) const;
    bool HandOnFailed(ItemTable& items, DownloadItem& item, const DispatchContext& context,
                      DispatchResult& result) const;
    void HandOnStalled(ItemTable& items, DownloadItem& item, const DispatchContext& context,
                       DispatchResult& result) const;
    void SplitLargest(ItemTable& items, const DownloadItem& finished, const DispatchContext& context,
                      DispatchResult& result) const;

    const DownloadConfig& config_;
};
