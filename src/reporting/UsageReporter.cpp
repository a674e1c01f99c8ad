#include "reporting/UsageReporter.h"

#include <cmath>
#include <filesystem>
#include <limits>
#include <utility>

#include "app/log/ILog.h"
#include "platform/Tick.h"
#include "reporting/LinkDecoration.h"
#include "reporting/MirrorListJson.h"
#include "reporting/ReportFormat.h"
#include "reporting/ReportReply.h"
#include "util/CJsonObject.h"
#include "util/JFile.h"
#include "util/JsonNode.h"

namespace {

constexpr const char* kStatusStart = "start";
constexpr const char* kStatusCancel = "cancel";
constexpr const char* kStatusDownloadCancel = "donwload_cancel";
constexpr const char* kStatusSuccess = "success";
constexpr const char* kStatusInstallCancel = "install_cancel";
constexpr const char* kStatusInstallFail = "install_fail";
constexpr const char* kStatusDownloadFail = "downLoad_fail";

constexpr const char* kLogContentType = "text/plain";

const char* TrueFalse(bool flag) {
    return flag ? "true" : "false";
}

const char* Architecture(bool is64) {
    return is64 ? "win64" : "win32";
}

// A UTF-8 text cut to at most maxBytes without splitting a character.
std::string CutUtf8(const std::string& text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    std::size_t end = maxBytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return text.substr(0, end);
}

// Fallback kilobytes as a whole number; a value without one counts as 0.
std::int64_t TruncatedKilobytes(double kilobytes) {
    if (!std::isfinite(kilobytes) || std::fabs(kilobytes) >= 9.2e18) return 0;
    return static_cast<std::int64_t>(kilobytes);
}

std::int64_t Seconds(std::uint32_t end, std::uint32_t start) {
    return static_cast<std::int64_t>(end) - static_cast<std::int64_t>(start);
}

bool IsFailureStatus(const std::string& status) {
    return status == kStatusInstallFail || status == kStatusDownloadFail;
}

}  // namespace

std::string FallbackReportText(const std::string& userId, const std::string& uuid, const std::string& appId,
                               const std::string& installStatus) {
    // The texts are written as JSON strings, so that a quote or a backslash
    // in one of them cannot break the report.
    const auto quoted = [](const std::string& text) { return PrintJson(*MakeJsonString(text), false); };
    return "{\"version\":" + std::to_string(kReportVersion) + ",\"user_id\":" + quoted(userId) +
           ",\"uuid\":" + quoted(uuid) + ",\"app_id\":" + quoted(appId) +
           ",\"install_status\":" + quoted(installStatus) + "}";
}

UsageReporter::UsageReporter(UsageReporterSettings settings) : settings_(std::move(settings)) {
    const ReporterIdentity& identity = settings_.identity;
    userId_ = identity.adapterAddresses.empty() ? identity.uuid : identity.adapterAddresses.front();
    systemLanguage_ = CutUtf8(identity.systemLanguage, kSystemLanguageMaxLength);
}

std::uint32_t UsageReporter::NowSeconds() const {
    if (settings_.clockSeconds) return settings_.clockSeconds();
    return platform::GetTickCount32() / 1000;
}

void UsageReporter::AddIdentityMembers(CJsonObject& report) const {
    report.Add("version", kReportVersion);
    report.Add("user_id", userId_);
    report.Add("system_language", systemLanguage_);
    report.Add("language", settings_.interfaceLanguage);
    report.Add("uuid", settings_.identity.uuid);
    report.Add("app_id", settings_.appId);
    report.Add("option", settings_.option);
    report.Add("source", settings_.source);
    report.Add("app_type", Architecture(settings_.productIs64));
    report.Add("system_type", Architecture(settings_.systemIs64));
}

bool UsageReporter::SendStartReport() {
    {
        std::lock_guard lock(mutex_);
        facts_.runStart = NowSeconds();
    }
    CJsonObject report;
    AddIdentityMembers(report);
    report.Add("localtime", FormatLocalTime());
    report.Add("app_version", settings_.appVersion);
    report.Add("install_status", kStatusStart);
    std::string json = report.ToText();
    if (json.empty()) json = FallbackReportText(userId_, settings_.identity.uuid, settings_.appId, kStatusStart);
    return PostReport(settings_.jsonEndpoint, json);
}

void UsageReporter::OnInstallRequested() {
    std::lock_guard lock(mutex_);
    facts_.installRequested = true;
}

void UsageReporter::OnDownloadStarted() {
    std::lock_guard lock(mutex_);
    facts_.downloadStart = NowSeconds();
    facts_.downloadFinished = false;
}

void UsageReporter::OnProgress(std::int32_t percent, std::int32_t speed, std::int32_t averageSpeed,
                               bool usingFallback) {
    std::lock_guard lock(mutex_);
    facts_.progressRate = percent;
    facts_.speed = speed;
    facts_.averageSpeed = averageSpeed;
    facts_.usingFallback = usingFallback;
}

void UsageReporter::OnDownloadFinished(const DownloadOutcome& outcome) {
    std::lock_guard lock(mutex_);
    facts_.downloadEnd = NowSeconds();
    facts_.download = outcome;
    facts_.downloadFinished = true;
}

void UsageReporter::OnInstallStarted() {
    std::lock_guard lock(mutex_);
    facts_.installStart = NowSeconds();
    facts_.installing = true;
}

void UsageReporter::OnInstallFinished(const InstallOutcome& outcome) {
    std::lock_guard lock(mutex_);
    facts_.installEnd = NowSeconds();
    facts_.installLastError = outcome.errorName;
    facts_.installSucceeded = outcome.succeeded;
    facts_.showThankYou = outcome.showThankYou;
    facts_.installing = false;
}

std::string UsageReporter::GetInstallStatus() {
    std::lock_guard lock(mutex_);
    return InstallStatusLocked();
}

// The status is derived only when a report is built, so a run closed in the
// middle of a phase reports that phase as cancelled, ending it now.
std::string UsageReporter::InstallStatusLocked() {
    if (!facts_.installRequested) return kStatusCancel;
    if (!facts_.downloadFinished) {
        facts_.downloadEnd = NowSeconds();
        return kStatusDownloadCancel;
    }
    if (facts_.installSucceeded) return kStatusSuccess;
    if (facts_.installing) {
        facts_.installEnd = NowSeconds();
        return kStatusInstallCancel;
    }
    if (facts_.download.succeeded) return kStatusInstallFail;
    return kStatusDownloadFail;
}

bool UsageReporter::SendResultReport(const ReportOptions& options) {
    RunFacts facts;
    std::string status;
    {
        std::lock_guard lock(mutex_);
        status = InstallStatusLocked();
        if (facts_.downloadEnd == 0) facts_.downloadEnd = NowSeconds();
        facts_.now = NowSeconds();
        facts = facts_;
    }
    std::string json = BuildResultReport(facts, status, options);
    if (json.empty()) json = FallbackReportText(userId_, settings_.identity.uuid, settings_.appId, status);
    if (IsFailureStatus(status)) {
        return PostReportWithFile(settings_.uploadEndpoint, settings_.identity.uuid, settings_.logPath, status, json);
    }
    return PostReport(settings_.jsonEndpoint, json);
}

std::string UsageReporter::BuildResultReport(const RunFacts& facts, const std::string& status,
                                             const ReportOptions& options) const {
    const DownloadOutcome& download = facts.download;
    const std::int64_t downloadSeconds = Seconds(facts.downloadEnd, facts.downloadStart);
    const std::int64_t installSeconds = Seconds(facts.installEnd, facts.installStart);
    const std::int64_t runSeconds = Seconds(facts.now, facts.runStart);

    CJsonObject report;
    AddIdentityMembers(report);
    report.Add("install_status", status);
    report.Add("localtime", FormatLocalTime());
    report.Add("amazon_download", TrueFalse(facts.usingFallback));
    report.Add("show_thankyou", TrueFalse(facts.showThankYou));
    report.Add("download_last_error", download.errorName);
    report.Add("install_last_error", facts.installLastError);
    report.Add("download_second", downloadSeconds);
    report.Add("download_time_string", FormatDuration(downloadSeconds));
    report.Add("install_second", installSeconds);
    report.Add("install_time_string", FormatDuration(installSeconds));
    report.Add("app_run_second", runSeconds);
    report.Add("app_run_time_string", FormatDuration(runSeconds));
    report.Add("progress_rate", facts.progressRate);
    report.Add("speed_string", FormatSpeed(facts.speed));
    report.Add("average_speed_string", FormatSpeed(facts.averageSpeed));
    report.Add("speed", facts.speed);
    report.Add("average_speed", facts.averageSpeed);
    report.Add("auto_install", TrueFalse(options.autoInstall));
    report.Add("run_app", TrueFalse(options.runApp));
    report.Add("change_install_path", TrueFalse(options.changeInstallPath));
    report.Add("add_plan", TrueFalse(options.addPlan));
    report.Add("create_desktop", TrueFalse(options.createDesktop));
    report.Add("app_version", settings_.appVersion);
    report.Add("download_amazom_size_kb", TruncatedKilobytes(download.fallbackKilobytes));
    report.Add("repair_use_amazom", TrueFalse(download.fallbackForRepair));
    report.Add("fail_use_amazom", TrueFalse(download.fallbackForFail));
    report.Add("timeout_use_amazom", TrueFalse(download.fallbackForTimeout));
    report.Add("success_use_amazom", TrueFalse(download.fallbackForSplit));
    report.Add("repair_link", download.repairLink);
    if (status == kStatusDownloadFail) {
        report.Add("curl_error", download.curlError);
        report.Add("last_fail_link", download.lastFailLink);
    }
    if (!download.allMirrors.empty()) {
        const MirrorListJson all = BuildAllMirrorsJson(download.allMirrors);
        report.Add("all_url_info", all.array);
        report.Add("all_url_info_str", all.text);
    }
    if (!download.usedMirrors.empty()) {
        const MirrorListJson used = BuildUsedMirrorsJson(download.usedMirrors);
        report.Add("used_url_info", used.array);
        report.Add("used_url_info_str", used.text);
    }
    return report.ToText();
}

bool UsageReporter::SendStartReportRepeatedly() {
    return RepeatReport([this] { return SendStartReport(); }, kReportAttempts, settings_.retrySpacing);
}

bool UsageReporter::SendResultReportRepeatedly(const ReportOptions& options) {
    return RepeatReport([this, &options] { return SendResultReport(options); }, kReportAttempts,
                        settings_.retrySpacing);
}

bool UsageReporter::PostReport(const std::string& url, const std::string& json) {
    const std::vector<FormField> fields = {{"index", kReportIndex}, {"json_data", json}};
    const PostResult result = PostMultipartForm(url, fields, nullptr, settings_.transport, true);
    if (!result.completed) {
        LogPrintf("UsageReporter::PostReport %s failed: %s\n", url.c_str(), result.failure.c_str());
        return false;
    }
    if (!IsReportAccepted(result.reply)) {
        LogPrintf("UsageReporter::PostReport %s not accepted (HTTP %ld)\n", url.c_str(), result.httpStatus);
        return false;
    }
    return true;
}

bool UsageReporter::PostReportWithFile(const std::string& url, const std::string& fileName,
                                       const std::string& filePath, const std::string& uploadType,
                                       const std::string& json) {
    if (fileName.empty() || filePath.empty()) return false;
    std::error_code error;
    if (!std::filesystem::is_regular_file(filePath, error)) {
        LogPrintf("UsageReporter::PostReportWithFile no file %s\n", filePath.c_str());
        return false;
    }
    FormFile file{"upload_file", fileName, {}, kLogContentType};
    if (!JFile::ReadAll(filePath, file.content)) {
        LogPrintf("UsageReporter::PostReportWithFile cannot read %s\n", filePath.c_str());
        return false;
    }
    const std::vector<FormField> fields = {{"index", kReportIndex}, {"json_data", json}, {"upload_type", uploadType}};
    const PostResult result = PostMultipartForm(url, fields, &file, settings_.transport, false);
    if (!result.completed) {
        LogPrintf("UsageReporter::PostReportWithFile %s failed: %s\n", url.c_str(), result.failure.c_str());
        return false;
    }
    // The reply's body is not read, but an HTTP error means the service did
    // not keep the report, so the caller tries again.
    if (result.httpStatus >= 400) {
        LogPrintf("UsageReporter::PostReportWithFile %s refused (HTTP %ld)\n", url.c_str(), result.httpStatus);
        return false;
    }
    return true;
}

std::string UsageReporter::DecorateLink(const std::string& link) const {
    return ::DecorateLink(link, settings_.identity.linkAddressText);
}
