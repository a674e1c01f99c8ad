// One HTTP(S) transfer over a libcurl easy handle, with the options every
// transfer of the engine shares: TLS peers verified (against the configured
// CA bundle, or the system's store), redirects followed only to http and
// https, the proxy setting, no signals.
//
// Answers that cannot carry the bytes asked for are failures, and none of
// their body reaches the sink: an HTTP status of 400 or more, and for a ranged
// request anything but a 206 whose Content-Range starts at the requested offset.
#pragma once

#include <curl/curl.h>

#include <cstdint>
#include <functional>
#include <string>

#include "download/DownloadConfig.h"
#include "download/DownloadTypes.h"

struct TransferOptions {
    std::string url;
    std::string userAgent;  // none when empty
    bool ranged = false;
    std::int64_t rangeStart = 0;
    std::int64_t rangeEnd = 0;  // inclusive
    bool headOnly = false;      // a size probe: no body
    long lowSpeedLimit = 0;     // bytes per second; 0 = no low-speed limit
    long lowSpeedTime = 0;      // seconds
    long timeoutMs = 0;         // whole transfer; 0 = none
    long connectTimeoutMs = 0;  // 0 = libcurl's default
    ProxySetting proxy;
    std::string caBundle;  // empty = the system's store
};

class CurlTransfer {
public:
    // Receives each chunk of the body; returns how many bytes it took. Taking
    // fewer than given ends the transfer with a write error.
    using Sink = std::function<std::size_t(const char* data, std::size_t size)>;
    // Polled while the transfer runs (also while it waits for data); true ends it.
    using AbortCheck = std::function<bool()>;

    // Upper bound of redirects followed by one transfer.
    static constexpr long kMaxRedirects = 10;

    // The options of a range transfer: its user agent, the low-speed limit
    // and the overall time limit.
    static TransferOptions ForRange(const DownloadConfig& config, const ProxySetting& proxy, const std::string& url,
                                    std::int64_t start, std::int64_t end);

    explicit CurlTransfer(const TransferOptions& options);
    ~CurlTransfer();
    CurlTransfer(const CurlTransfer&) = delete;
    CurlTransfer& operator=(const CurlTransfer&) = delete;

    // False when libcurl could not give a handle.
    bool IsValid() const { return handle_ != nullptr; }

    // Runs the transfer to its end; returns the libcurl result, with refused
    // answers reported as CURLE_HTTP_RETURNED_ERROR (status 400 or more) or
    // CURLE_RANGE_ERROR (a ranged request answered without the range).
    CURLcode Perform(const Sink& sink, const AbortCheck& abort);

    long ResponseCode() const;
    // The length the server announced, or -1.
    std::int64_t ContentLength() const;

    // Makes libcurl ready once per process; every constructor calls it.
    static void GlobalInit();

private:
    static std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* self);
    static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* self);
    static int OnProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t);
    // The code that refuses the current answer, or CURLE_OK to accept it.
    CURLcode JudgeAnswer() const;

    CURL* handle_ = nullptr;
    TransferOptions options_;
    const Sink* sink_ = nullptr;
    const AbortCheck* abort_ = nullptr;
    // Of the last response seen (a redirect or a proxy answer comes first).
    std::int64_t contentRangeStart_ = -1;
    bool answerJudged_ = false;
    CURLcode refusal_ = CURLE_OK;
};
