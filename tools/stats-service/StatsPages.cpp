#include "StatsPages.h"

#include <memory>

#include "util/JsonNode.h"

namespace {

constexpr const char* kStyle =
    "body{font-family:sans-serif;margin:1.5em}"
    "table{border-collapse:collapse}"
    "td,th{border:1px solid #bbb;padding:3px 8px;text-align:left;vertical-align:top}"
    "th{background:#eee}"
    "pre{background:#f6f6f6;border:1px solid #ddd;padding:8px;white-space:pre-wrap}"
    ".fail{color:#b00}.ok{color:#070}";

std::string PageStart(const std::string& title) {
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + EscapeHtml(title) +
           "</title><style>" + kStyle + "</style></head><body>\n<h1>" + EscapeHtml(title) + "</h1>\n";
}

constexpr const char* kPageEnd = "</body></html>\n";

std::unique_ptr<JsonNode> ParseReport(const std::string& json) {
    std::size_t errorOffset = 0;
    std::unique_ptr<JsonNode> report = ParseJson(json, kMaxJsonDepth, errorOffset);
    return report && report->type == JsonType::Object ? std::move(report) : nullptr;
}

// A member shown as a person reads it: scalars in their text form,
// containers as their JSON.
std::string MemberDisplay(const JsonNode* report, const char* key) {
    if (report == nullptr) return {};
    const JsonNode* member = FindJsonMember(*report, key);
    if (member == nullptr) return {};
    return member->IsContainer() ? PrintJson(*member, false) : JsonValueAsText(*member);
}

std::string MirrorsUsed(const JsonNode* report) {
    if (report == nullptr) return {};
    const JsonNode* used = FindJsonMember(*report, "used_url_info");
    if (used == nullptr || used->type != JsonType::Array) return {};
    std::string hosts;
    for (const auto& mirror : used->children) {
        if (mirror->type != JsonType::Object) continue;
        if (!hosts.empty()) hosts += ", ";
        hosts += MemberDisplay(mirror.get(), "domain");
    }
    return hosts;
}

const char* StatusClass(const std::string& status) {
    if (status == "success" || status == "start") return "ok";
    if (status == "install_fail" || status == "downLoad_fail") return "fail";
    return "";
}

std::string Cell(const std::string& text) {
    return "<td>" + EscapeHtml(text) + "</td>";
}

}  // namespace

std::string EscapeHtml(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        switch (ch) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += ch;
        }
    }
    return out;
}

std::string RenderReportList(const std::vector<StoredReport>& reports) {
    std::string page = PageStart("Usage reports");
    if (reports.empty()) return page + "<p>No reports yet.</p>\n" + kPageEnd;
    page +=
        "<table>\n<tr><th>#</th><th>received (UTC)</th><th>endpoint</th><th>status</th><th>local time</th>"
        "<th>language</th><th>average speed</th><th>mirrors used</th></tr>\n";
    for (const StoredReport& report : reports) {
        const std::unique_ptr<JsonNode> json = ParseReport(report.json);
        const std::string id = std::to_string(report.id);
        page += "<tr><td><a href=\"/report/" + id + "\">" + id + "</a></td>";
        page += Cell(report.received) + Cell(report.endpoint);
        page += std::string("<td class=\"") + StatusClass(report.installStatus) + "\">" +
                EscapeHtml(report.installStatus) + "</td>";
        page += Cell(MemberDisplay(json.get(), "localtime"));
        page += Cell(MemberDisplay(json.get(), "language"));
        page += Cell(MemberDisplay(json.get(), "average_speed_string"));
        page += Cell(MirrorsUsed(json.get()));
        page += "</tr>\n";
    }
    return page + "</table>\n" + kPageEnd;
}

std::string RenderReportPage(const StoredReport& report) {
    std::string page = PageStart("Usage report " + std::to_string(report.id));
    page += "<p><a href=\"/\">all reports</a></p>\n<table>\n";
    page += "<tr><th>received (UTC)</th>" + Cell(report.received) + "</tr>\n";
    page += "<tr><th>endpoint</th>" + Cell(report.endpoint) + "</tr>\n";
    page += "<tr><th>install status</th>" + Cell(report.installStatus) + "</tr>\n";
    page += "<tr><th>uuid</th>" + Cell(report.uuid) + "</tr>\n";
    if (!report.uploadType.empty()) page += "<tr><th>upload type</th>" + Cell(report.uploadType) + "</tr>\n";
    page += "</table>\n";

    const std::unique_ptr<JsonNode> json = ParseReport(report.json);
    if (json) {
        page += "<h2>Members</h2>\n<table>\n<tr><th>#</th><th>key</th><th>value</th></tr>\n";
        int number = 0;
        for (const auto& member : json->children) {
            const std::string value = member->IsContainer() ? PrintJson(*member, false) : JsonValueAsText(*member);
            page += "<tr><td>" + std::to_string(++number) + "</td>" + Cell(member->key) + Cell(value) + "</tr>\n";
        }
        page += "</table>\n<h2>JSON</h2>\n<pre>" + EscapeHtml(PrintJson(*json, true)) + "</pre>\n";
    } else {
        page += "<h2>JSON</h2>\n<pre>" + EscapeHtml(report.json) + "</pre>\n";
    }

    if (report.log) {
        page += "<h2>Attached log " + EscapeHtml(report.logName) + "</h2>\n";
        page += "<p><a href=\"/report/" + std::to_string(report.id) + "/log\">as a file</a></p>\n";
        page += "<pre>" + EscapeHtml(*report.log) + "</pre>\n";
    }
    return page + kPageEnd;
}

std::string RenderNotFoundPage() {
    return PageStart("Not found") + "<p><a href=\"/\">all reports</a></p>\n" + kPageEnd;
}
