#include "download/MirrorUrl.h"

std::string HostOfUrl(const std::string& url) {
    static const std::string kDownloadFolder = "/download/";
    std::size_t hostStart = std::string::npos;
    for (const char* scheme : {"https://", "http://"}) {
        const std::size_t at = url.find(scheme);
        if (at != std::string::npos) {
            hostStart = at + std::char_traits<char>::length(scheme);
            break;
        }
    }
    if (hostStart == std::string::npos) {
        return {};
    }
    const std::size_t hostEnd = url.find(kDownloadFolder);
    if (hostEnd == std::string::npos || hostEnd < hostStart) {
        return {};
    }
    return url.substr(hostStart, hostEnd - hostStart);
}

std::string PingAddressOfHost(const std::string& host) {
    return host.substr(0, host.find(':'));
}

bool IsFallbackUrl(const DownloadConfig& config, const std::string& url) {
    for (const std::string* text : {&config.fallbackCdnSuffix, &config.fallbackCdnPrefix, &config.fallbackMainHost}) {
        if (!text->empty() && url.find(*text) != std::string::npos) {
            return true;
        }
    }
    return false;
}
