#include "CurlFetch.h"

#include <algorithm>
#include <cctype>
#include <chrono>

namespace {

size_t AppendBody(char* data, size_t size, size_t count, void* target) {
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

size_t KeepHeader(char* data, size_t size, size_t count, void* target) {
    const std::string line(data, size * count);
    const size_t colon = line.find(':');
    if (colon != std::string::npos) {
        std::string name = line.substr(0, colon);
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        const size_t begin = line.find_first_not_of(' ', colon + 1);
        const size_t end = line.find_last_not_of("\r\n");
        (*static_cast<std::map<std::string, std::string>*>(target))[name] =
            begin == std::string::npos || end < begin ? "" : line.substr(begin, end - begin + 1);
    }
    return size * count;
}

struct FetchRequest {
    std::string url;
    bool head = false;
    std::string range;
    long timeoutMs = 10000;
};

FetchResult Fetch(const FetchRequest& request);

}  // namespace

std::string FetchResult::Header(const std::string& lowerName) const {
    const auto found = headers.find(lowerName);
    return found == headers.end() ? std::string() : found->second;
}

FetchResult Get(const std::string& url, const std::string& range, long timeoutMs) {
    FetchRequest request;
    request.url = url;
    request.range = range;
    request.timeoutMs = timeoutMs;
    return Fetch(request);
}

FetchResult Head(const std::string& url) {
    FetchRequest request;
    request.url = url;
    request.head = true;
    return Fetch(request);
}

namespace {

FetchResult Fetch(const FetchRequest& request) {
    static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    FetchResult result;
    CURL* curl = initialised ? curl_easy_init() : nullptr;
    if (curl == nullptr) {
        result.code = CURLE_FAILED_INIT;
        return result;
    }
    curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, request.timeoutMs);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, std::min(request.timeoutMs, 5000L));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, AppendBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &result.body);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, KeepHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &result.headers);
    if (request.head) {
        curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
    }
    if (!request.range.empty()) {
        curl_easy_setopt(curl, CURLOPT_RANGE, request.range.c_str());
    }
    const auto start = std::chrono::steady_clock::now();
    result.code = curl_easy_perform(curl);
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &result.status);
    curl_easy_cleanup(curl);
    return result;
}

}  // namespace
