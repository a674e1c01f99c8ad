#include "ReportSubmission.h"

#include <memory>

#include "util/JsonNode.h"

namespace {

const FormPart* FindPart(const FormParts& parts, const char* name) {
    const auto found = parts.find(name);
    return found != parts.end() ? &found->second : nullptr;
}

std::string MemberText(const JsonNode& object, const char* key) {
    const JsonNode* member = FindJsonMember(object, key);
    return member != nullptr && member->type == JsonType::String ? member->text : std::string();
}

}  // namespace

bool AcceptReport(ReportEndpoint endpoint, const FormParts& parts, StoredReport& row, std::string& error) {
    const FormPart* index = FindPart(parts, "index");
    if (index == nullptr) {
        error = "the form field \"index\" is missing";
        return false;
    }
    if (index->content != kReportIndex) {
        error = std::string("the form field \"index\" must be \"") + kReportIndex + "\"";
        return false;
    }
    const FormPart* json = FindPart(parts, "json_data");
    if (json == nullptr) {
        error = "the form field \"json_data\" is missing";
        return false;
    }
    std::size_t errorOffset = 0;
    const std::unique_ptr<JsonNode> report = ParseJson(json->content, kMaxJsonDepth, errorOffset);
    if (!report) {
        error = "\"json_data\" is not JSON (error at byte " + std::to_string(errorOffset) + ")";
        return false;
    }
    if (report->type != JsonType::Object) {
        error = "\"json_data\" is not a JSON object";
        return false;
    }

    row = StoredReport{};
    if (endpoint == ReportEndpoint::Upload) {
        const FormPart* uploadType = FindPart(parts, "upload_type");
        if (uploadType == nullptr || uploadType->content.empty()) {
            error = "the form field \"upload_type\" is missing";
            return false;
        }
        const FormPart* file = FindPart(parts, "upload_file");
        if (file == nullptr || file->fileName.empty()) {
            error = "the file part \"upload_file\" is missing";
            return false;
        }
        row.uploadType = uploadType->content;
        row.logName = file->fileName;
        row.log = file->content;
    }
    row.endpoint = endpoint == ReportEndpoint::Json ? kJsonEndpointPath : kUploadEndpointPath;
    row.installStatus = MemberText(*report, "install_status");
    row.uuid = MemberText(*report, "uuid");
    row.json = json->content;
    return true;
}
