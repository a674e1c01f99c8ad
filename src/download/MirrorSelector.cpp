#include "download/MirrorSelector.h"

#include <algorithm>

#include "app/log/ILog.h"
#include "download/MirrorUrl.h"

MirrorSelector::MirrorSelector(const DownloadConfig& config, IMirrorProbe& probe) : config_(config), probe_(probe) {}

MirrorSelection MirrorSelector::Select(const DownloadRequest& request, const std::function<bool()>& cancelled) {
    MirrorSelection selection;
    selection.connectionsPerMirror = request.connectionsPerMirror;
    const std::int64_t total = request.size;
    std::vector<UrlCfg> candidates;
    bool haveFallback = false;

    for (int slot = 0; slot < kMaxMirrors; ++slot) {
        if (cancelled && cancelled()) {
            selection.used.clear();
            return selection;
        }
        UrlCfg mirror = request.mirrors[slot];
        if (!mirror.usable) {
            selection.all.push_back(mirror);
            continue;
        }
        const bool fallbackUrl = IsFallbackUrl(config_, mirror.url);
        if (fallbackUrl && !haveFallback) {
            // The fallback is not pinged: it is a CDN, used whatever its round trip.
            mirror.reportedSize = probe_.FileLength(mirror.url);
            mirror.expectedSize = total;
            mirror.usable = mirror.reportedSize == total;
            mirror.host = config_.fallbackCdnSuffix;
            if (mirror.usable) {
                selection.fallback = mirror;
                haveFallback = true;
            }
            selection.all.push_back(mirror);
            continue;
        }
        ExamineRegular(slot, mirror, total);
        if (mirror.usable && !fallbackUrl) {
            candidates.push_back(mirror);
        }
        selection.all.push_back(mirror);
    }

    // Stable: mirrors with equal round trips keep their manifest order.
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const UrlCfg& a, const UrlCfg& b) { return a.pingTime < b.pingTime; });
    for (const UrlCfg& mirror : candidates) {
        if (mirror.networkNotFull) {
            selection.used.push_back(mirror);
        }
    }

    if (selection.used.empty()) {
        LogPrintf("Download_CheckDownload: Warring, m_vecUrlCfg.size() <= 0.\n");
        LogPrintf("Download_CheckDownload: Using Ama now.\n");
        if (haveFallback) {
            selection.used.push_back(selection.fallback);
            selection.connectionsPerMirror = kFallbackOnlyConnections;
        } else {
            LogPrintf("Download_CheckDownload: ERROR : con't find Ama now.\n");
        }
    } else if (selection.used.size() < kTopUpBelow) {
        LogPrintf("Download_CheckDownload: Warring, m_vecUrlCfg.size() <= 2.\n");
        if (haveFallback) {
            selection.used.push_back(selection.fallback);
            LogPrintf("Download_CheckDownload: Add Ama now.\n");
        } else {
            LogPrintf("Download_CheckDownload: Add Ama fail.\n");
        }
    }
    if (selection.used.size() > kMaxUsedMirrors) {
        selection.used.resize(kMaxUsedMirrors);
    }
    if (!haveFallback) {
        selection.fallback = UrlCfg{};
    }
    return selection;
}

void MirrorSelector::ExamineRegular(int slot, UrlCfg& mirror, std::int64_t total) {
    std::uint32_t roundTrip = 0;
    const PingOutcome ping = probe_.Ping(mirror.url, roundTrip);
    const bool answered = ping == PingOutcome::Answered;
    if (answered) {
        mirror.pingTime = roundTrip;
    }
    LogPrintf("Download_CheckPing: ID(%d), Invalid(%s), time(%d).\n", slot, answered ? "true" : "false",
              static_cast<int>(mirror.pingTime));
    mirror.pingAnswered = answered;
    mirror.host = HostOfUrl(mirror.url);
    if (ping == PingOutcome::NotPermitted && !mirror.host.empty()) {
        // Without ICMP sockets no mirror could ever answer; leaving them all
        // out would leave only the fallback. They are judged by the size probe
        // and the reachability page instead, ranked after any measured mirror.
        mirror.pingTime = config_.pingTimeLimitMs;
        LogPrintf("Download_CheckPing: ID(%d), no ICMP socket permitted, judged without a ping.\n", slot);
    } else if (!answered) {
        mirror.usable = false;
        return;
    }
    mirror.reportedSize = probe_.FileLength(mirror.url);
    mirror.expectedSize = total;
    mirror.usable = mirror.reportedSize == total;
    if (mirror.usable && !IsFallbackUrl(config_, mirror.url)) {
        mirror.networkNotFull = probe_.NetworkNotFull(mirror.url);
    }
    LogPrintf("Download_CheckDownload: ID(%d), FileSizeConsistent(%s) NetworkNotFull(%s).\n", slot,
              mirror.usable ? "true" : "false", mirror.networkNotFull ? "true" : "false");
}
