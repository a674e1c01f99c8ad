// One HTTP transfer through libcurl's easy interface, the client the installer
// itself uses, with every header and the body kept for the test to inspect.
#pragma once

#include <curl/curl.h>

#include <map>
#include <string>

struct FetchResult {
    CURLcode code = CURLE_OK;
    long status = 0;
    std::map<std::string, std::string> headers;  // lower-case name -> value
    std::string body;
    double seconds = 0;

    bool HasHeader(const std::string& lowerName) const { return headers.count(lowerName) != 0; }
    std::string Header(const std::string& lowerName) const;
};

// A GET with an optional range ("a-b", "a-", "-n"; empty: no Range header),
// bounded by `timeoutMs` for the whole transfer.
FetchResult Get(const std::string& url, const std::string& range = "", long timeoutMs = 10000);
// A HEAD, as the installer's size probe sends it.
FetchResult Head(const std::string& url);
