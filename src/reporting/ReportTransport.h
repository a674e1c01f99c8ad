// The HTTP side of the usage reports: one multipart form POST with libcurl,
// bounded in time, TLS peers verified. What the reply means is decided by
// the caller.
#pragma once

#include <string>
#include <vector>

// A post gives up when the service cannot be reached within this time...
inline constexpr long kReportConnectTimeoutMs = 2000;
// ...or has not finished within this one. Ten attempts with their 500 ms
// spacing then end within about half a minute when the service is down,
// which is what closing the installer waits for.
inline constexpr long kReportTransferLimitMs = 2500;
// Replies are a few bytes of JSON; anything longer is not one.
inline constexpr std::size_t kMaxReportReplyBytes = 64 * 1024;

struct ReportTransportSettings {
    // CA bundle the TLS peer is verified against; empty: the system's store.
    std::string caBundle;
    long connectTimeoutMs = kReportConnectTimeoutMs;
    long transferLimitMs = kReportTransferLimitMs;
};

struct FormField {
    std::string name;
    std::string value;
};

// A file part: the content is sent under the given file name.
struct FormFile {
    std::string fieldName;
    std::string fileName;
    std::string content;
    std::string contentType;
};

struct PostResult {
    bool completed = false;   // the transfer ran to its end without error
    long httpStatus = 0;      // the reply's status, 0 when there was none
    std::string reply;        // the reply body, when asked for
    std::string failure;      // why it did not complete
};

// Posts the fields (and the file, when given) as multipart/form-data to the
// URL. The reply body is kept only when keepReply is set; a longer reply
// than kMaxReportReplyBytes fails the transfer.
PostResult PostMultipartForm(const std::string& url, const std::vector<FormField>& fields, const FormFile* file,
                             const ReportTransportSettings& settings, bool keepReply);
