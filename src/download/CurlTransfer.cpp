#include "download/CurlTransfer.h"

#include <strings.h>

#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

// Receive buffer of each transfer: larger reads mean fewer write callbacks on
// fast mirrors. Memory stays a fixed amount per connection.
constexpr long kReceiveBufferSize = 256 * 1024;

bool StartsWithNoCase(const char* data, std::size_t size, const char* prefix) {
    const std::size_t length = std::strlen(prefix);
    return size >= length && ::strncasecmp(data, prefix, length) == 0;
}

// "Content-Range: bytes 100-199/1000" gives 100; -1 when the value is not of that form.
std::int64_t ParseContentRangeStart(const char* data, std::size_t size) {
    std::string value(data, size);
    const std::size_t colon = value.find(':');
    if (colon == std::string::npos) {
        return -1;
    }
    std::size_t at = value.find_first_not_of(" \t", colon + 1);
    if (at == std::string::npos || value.compare(at, 5, "bytes") != 0) {
        return -1;
    }
    at = value.find_first_not_of(" \t", at + 5);
    if (at == std::string::npos || value[at] < '0' || value[at] > '9') {
        return -1;
    }
    char* stop = nullptr;
    const long long start = std::strtoll(value.c_str() + at, &stop, 10);
    return stop != nullptr && *stop == '-' ? start : -1;
}

}  // namespace

TransferOptions CurlTransfer::ForRange(const DownloadConfig& config, const ProxySetting& proxy,
                                      const std::string& url, std::int64_t start, std::int64_t end) {
    TransferOptions options;
    options.url = url;
    options.userAgent = "Downloader";
    options.ranged = true;
    options.rangeStart = start;
    options.rangeEnd = end;
    options.lowSpeedLimit = config.lowSpeedLimitBytesPerSecond;
    options.lowSpeedTime = config.lowSpeedTimeSeconds;
    options.timeoutMs = config.rangeTransferTimeoutSeconds * 1000;
    options.proxy = proxy;
    options.caBundle = config.caBundle;
    return options;
}

void CurlTransfer::GlobalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

CurlTransfer::CurlTransfer(const TransferOptions& options) : options_(options) {
    GlobalInit();
    handle_ = curl_easy_init();
    if (handle_ == nullptr) {
        return;
    }
    curl_easy_setopt(handle_, CURLOPT_URL, options_.url.c_str());
    curl_easy_setopt(handle_, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle_, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle_, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle_, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(handle_, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(handle_, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(handle_, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!options_.caBundle.empty()) {
        curl_easy_setopt(handle_, CURLOPT_CAINFO, options_.caBundle.c_str());
    }
    if (!options_.userAgent.empty()) {
        curl_easy_setopt(handle_, CURLOPT_USERAGENT, options_.userAgent.c_str());
    }
    curl_easy_setopt(handle_, CURLOPT_BUFFERSIZE, kReceiveBufferSize);
    curl_easy_setopt(handle_, CURLOPT_WRITEFUNCTION, &CurlTransfer::OnBody);
    curl_easy_setopt(handle_, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(handle_, CURLOPT_HEADERFUNCTION, &CurlTransfer::OnHeader);
    curl_easy_setopt(handle_, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(handle_, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(handle_, CURLOPT_XFERINFOFUNCTION, &CurlTransfer::OnProgress);
    curl_easy_setopt(handle_, CURLOPT_XFERINFODATA, this);
    if (options_.headOnly) {
        curl_easy_setopt(handle_, CURLOPT_NOBODY, 1L);
    }
    if (options_.ranged) {
        const std::string range = std::to_string(options_.rangeStart) + "-" + std::to_string(options_.rangeEnd);
        curl_easy_setopt(handle_, CURLOPT_RANGE, range.c_str());  // libcurl copies the text
    }
    if (options_.lowSpeedLimit > 0 && options_.lowSpeedTime > 0) {
        curl_easy_setopt(handle_, CURLOPT_LOW_SPEED_LIMIT, options_.lowSpeedLimit);
        curl_easy_setopt(handle_, CURLOPT_LOW_SPEED_TIME, options_.lowSpeedTime);
    }
    if (options_.timeoutMs > 0) {
        curl_easy_setopt(handle_, CURLOPT_TIMEOUT_MS, options_.timeoutMs);
    }
    if (options_.connectTimeoutMs > 0) {
        curl_easy_setopt(handle_, CURLOPT_CONNECTTIMEOUT_MS, options_.connectTimeoutMs);
    }
    const ProxySetting& proxy = options_.proxy;
    if (proxy.enabled != 0 && (proxy.type == 0 || proxy.type == 1)) {
        curl_easy_setopt(handle_, CURLOPT_PROXYTYPE, proxy.type == 0 ? static_cast<long>(CURLPROXY_HTTP)
                                                                     : static_cast<long>(CURLPROXY_SOCKS5));
        const std::string address = proxy.host + ":" + proxy.port;
        curl_easy_setopt(handle_, CURLOPT_PROXY, address.c_str());
        const std::string credentials = proxy.user + ":" + proxy.password;
        curl_easy_setopt(handle_, CURLOPT_PROXYUSERPWD, credentials.c_str());
    }
}

CurlTransfer::~CurlTransfer() {
    if (handle_ != nullptr) {
        curl_easy_cleanup(handle_);
    }
}

CURLcode CurlTransfer::Perform(const Sink& sink, const AbortCheck& abort) {
    if (handle_ == nullptr) {
        return CURLE_FAILED_INIT;
    }
    sink_ = &sink;
    abort_ = &abort;
    contentRangeStart_ = -1;
    answerJudged_ = false;
    refusal_ = CURLE_OK;
    CURLcode result = curl_easy_perform(handle_);
    sink_ = nullptr;
    abort_ = nullptr;
    if (refusal_ != CURLE_OK) {
        return refusal_;
    }
    // An answer without a body never reached OnBody; judge it now.
    if (result == CURLE_OK) {
        result = JudgeAnswer();
    }
    return result;
}

long CurlTransfer::ResponseCode() const {
    long code = 0;
    if (handle_ != nullptr) {
        curl_easy_getinfo(handle_, CURLINFO_RESPONSE_CODE, &code);
    }
    return code;
}

std::int64_t CurlTransfer::ContentLength() const {
    curl_off_t length = -1;
    if (handle_ == nullptr || curl_easy_getinfo(handle_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK) {
        return -1;
    }
    return length;
}

CURLcode CurlTransfer::JudgeAnswer() const {
    const long status = ResponseCode();
    if (status >= 400) {
        return CURLE_HTTP_RETURNED_ERROR;
    }
    if (options_.ranged && !options_.headOnly && (status != 206 || contentRangeStart_ != options_.rangeStart)) {
        return CURLE_RANGE_ERROR;
    }
    return CURLE_OK;
}

std::size_t CurlTransfer::OnBody(char* data, std::size_t size, std::size_t count, void* self) {
    auto* transfer = static_cast<CurlTransfer*>(self);
    if (!transfer->answerJudged_) {
        transfer->answerJudged_ = true;
        transfer->refusal_ = transfer->JudgeAnswer();
    }
    if (transfer->refusal_ != CURLE_OK) {
        return 0;
    }
    if (transfer->sink_ == nullptr || !*transfer->sink_) {
        return size * count;  // nobody wants the body: take it and drop it
    }
    return (*transfer->sink_)(data, size * count);
}

std::size_t CurlTransfer::OnHeader(char* data, std::size_t size, std::size_t count, void* self) {
    auto* transfer = static_cast<CurlTransfer*>(self);
    const std::size_t length = size * count;
    if (StartsWithNoCase(data, length, "HTTP/")) {
        // A new response begins (after a redirect or a proxy's answer): forget the last one's facts.
        transfer->contentRangeStart_ = -1;
    } else if (StartsWithNoCase(data, length, "Content-Range:")) {
        transfer->contentRangeStart_ = ParseContentRangeStart(data, length);
    }
    return length;
}

int CurlTransfer::OnProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const auto* transfer = static_cast<const CurlTransfer*>(self);
    return transfer->abort_ != nullptr && *transfer->abort_ && (*transfer->abort_)() ? 1 : 0;
}
