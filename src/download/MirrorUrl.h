// Reading mirror URLs: the host a URL names, the address its ping goes to,
// and whether it belongs to the fallback mirror.
#pragma once

#include <string>

#include "download/DownloadConfig.h"

// The text between the scheme ("https://" is looked for first, then "http://")
// and the first "/download/" after it; empty when either is missing.
std::string HostOfUrl(const std::string& url);

// The address a host is pinged at: the text before a ":" port, if any.
std::string PingAddressOfHost(const std::string& host);

// True when the URL contains one of the configured fallback texts. Empty texts
// are ignored: an empty text would otherwise match every URL.
bool IsFallbackUrl(const DownloadConfig& config, const std::string& url);
