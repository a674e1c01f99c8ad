#include "download/TrafficCounter.h"

#include "download/MirrorUrl.h"

namespace {

template <typename Predicate>
double Kilobytes(const ItemTable& items, Predicate counts) {
    double kilobytes = 0.0;
    for (const auto& [id, item] : items) {
        if (counts(item)) {
            kilobytes += static_cast<double>(item.current - item.start) / 1024.0;
        }
    }
    return kilobytes;
}

}  // namespace

double TrafficCounter::FallbackKilobytes(const ItemTable& items, const DownloadConfig& config) {
    return Kilobytes(items, [&config](const DownloadItem& item) { return IsFallbackUrl(config, item.url); });
}

std::vector<MirrorTraffic> TrafficCounter::PerMirror(const ItemTable& items, const std::vector<UrlCfg>& used,
                                                     const DownloadConfig& config) {
    std::vector<MirrorTraffic> traffic;
    for (const UrlCfg& mirror : used) {
        if (mirror.host.empty()) {
            continue;
        }
        const double kilobytes =
            IsFallbackUrl(config, mirror.url)
                ? FallbackKilobytes(items, config)
                : Kilobytes(items, [&mirror](const DownloadItem& item) {
                      return item.url.find(mirror.host) != std::string::npos;
                  });
        traffic.push_back(MirrorTraffic{mirror.host, static_cast<std::int64_t>(kilobytes)});
    }
    return traffic;
}
