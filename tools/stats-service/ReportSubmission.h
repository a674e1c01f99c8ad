// What makes a post to one of the two report endpoints acceptable, and the
// row it becomes. Kept apart from the HTTP library so the rules read on their
// own.
#pragma once

#include <map>
#include <string>

#include "ReportStore.h"

// The fixed "index" value every report carries.
inline constexpr const char* kReportIndex = "common_install_online_stash";
inline constexpr const char* kJsonEndpointPath = "/api/common_json_post/";
inline constexpr const char* kUploadEndpointPath = "/api/common_post/";

enum class ReportEndpoint { Json, Upload };

// One part of a multipart form.
struct FormPart {
    std::string content;
    std::string fileName;  // set only for file parts
};

// The parts by name; the first part of a name wins.
using FormParts = std::map<std::string, FormPart>;

// Checks the parts: "index" with the fixed value and "json_data" holding a
// JSON object on both endpoints, and on the upload endpoint also
// "upload_type" and a file part "upload_file" with a file name. On success
// fills the row (endpoint, install status and uuid from the JSON, the log and
// its name) and returns true; otherwise a reason for the sender in error.
bool AcceptReport(ReportEndpoint endpoint, const FormParts& parts, StoredReport& row, std::string& error);
