#include "reporting/ReportTransport.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>

namespace {

struct EasyCleanup {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct MimeFree {
    void operator()(curl_mime* mime) const { curl_mime_free(mime); }
};

struct ReplySink {
    bool keep = false;
    std::string body;
};

std::size_t CollectReply(char* data, std::size_t size, std::size_t count, void* context) {
    auto* sink = static_cast<ReplySink*>(context);
    const std::size_t bytes = size * count;
    if (!sink->keep) return bytes;
    if (sink->body.size() + bytes > kMaxReportReplyBytes) return 0;  // ends the transfer with an error
    sink->body.append(data, bytes);
    return bytes;
}

void InitCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool AddPart(curl_mime* mime, const std::string& name, const std::string& data, const std::string* fileName,
             const std::string* contentType) {
    curl_mimepart* part = curl_mime_addpart(mime);
    if (part == nullptr) return false;
    if (curl_mime_name(part, name.c_str()) != CURLE_OK) return false;
    if (curl_mime_data(part, data.data(), data.size()) != CURLE_OK) return false;
    if (fileName != nullptr && curl_mime_filename(part, fileName->c_str()) != CURLE_OK) return false;
    if (contentType != nullptr && !contentType->empty() && curl_mime_type(part, contentType->c_str()) != CURLE_OK)
        return false;
    return true;
}

}  // namespace

PostResult PostMultipartForm(const std::string& url, const std::vector<FormField>& fields, const FormFile* file,
                             const ReportTransportSettings& settings, bool keepReply) {
    PostResult result;
    InitCurlOnce();
    std::unique_ptr<CURL, EasyCleanup> curl(curl_easy_init());
    if (!curl) {
        result.failure = "no transfer could be created";
        return result;
    }
    std::unique_ptr<curl_mime, MimeFree> form(curl_mime_init(curl.get()));
    if (!form) {
        result.failure = "no form could be created";
        return result;
    }
    for (const FormField& field : fields) {
        if (!AddPart(form.get(), field.name, field.value, nullptr, nullptr)) {
            result.failure = "cannot add the form field " + field.name;
            return result;
        }
    }
    // The file is sent from memory: the install log keeps growing while it is
    // uploaded, and a part read from disk could then outgrow its announced size.
    if (file != nullptr && !AddPart(form.get(), file->fieldName, file->content, &file->fileName, &file->contentType)) {
        result.failure = "cannot add the file part " + file->fieldName;
        return result;
    }

    ReplySink sink;
    sink.keep = keepReply;
    CURL* handle = curl.get();
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_MIMEPOST, form.get());
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, CollectReply);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &sink);
    // Reports are sent from worker threads: no signal may interrupt them.
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, settings.connectTimeoutMs);
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, settings.transferLimitMs);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!settings.caBundle.empty()) curl_easy_setopt(handle, CURLOPT_CAINFO, settings.caBundle.c_str());

    const CURLcode code = curl_easy_perform(handle);
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &result.httpStatus);
    if (code != CURLE_OK) {
        result.failure = "curl error " + std::to_string(static_cast<int>(code)) + " (" + curl_easy_strerror(code) + ")";
        return result;
    }
    result.completed = true;
    result.reply = std::move(sink.body);
    return result;
}
