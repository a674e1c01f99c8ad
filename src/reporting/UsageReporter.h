// The usage reporter: collects the facts of one installer run and sends the
// two usage reports to the statistics service, the start report when the
// setup window has opened and the result report when the installer exits.
// Failure results go to the upload endpoint with the install log attached.
//
// The setup flow owns one reporter for the whole run and tells it what
// happens; the reporter only records, derives the run's status, formats and
// sends. Nothing it does is shown to the user: every failure is a false
// result, and the callers' retry loops give up after ten attempts.
//
// Threads: the start report is sent from a thread of its own, the phase calls
// come from the install worker, OnProgress from the window's painting and the
// result report from the exit sequence, which may come while an abandoned
// install worker still reports. A lock guards the run's facts; the posts run
// outside it.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "reporting/ReportRecords.h"
#include "reporting/ReportRetry.h"
#include "reporting/ReportTransport.h"

class CJsonObject;

// The report format version the service expects in member "version".
inline constexpr std::int32_t kReportVersion = 1022;
// The fixed "index" form value of every report.
inline constexpr const char* kReportIndex = "common_install_online_stash";
// The system_language member is cut to this many bytes.
inline constexpr std::size_t kSystemLanguageMaxLength = 31;

// What the reporter knows about the machine; production fills it from the
// machine identity and the locale, tests set it.
struct ReporterIdentity {
    std::string uuid;  // the run's identifier
    // The machine's adapter addresses; user_id is the first, or the uuid
    // when there is none.
    std::vector<std::string> adapterAddresses;
    // English name of the user's locale language.
    std::string systemLanguage;
    // The adapter address text for web links, Base64-encoded into client_m.
    std::string linkAddressText;
};

struct UsageReporterSettings {
    std::string jsonEndpoint;    // HTTPS, /api/common_json_post/
    std::string uploadEndpoint;  // HTTP, /api/common_post/
    ReporterIdentity identity;
    std::string appId;  // the product's display name
    std::string option;
    std::string source;
    std::string appVersion;  // the installer's version text
    bool productIs64 = false;
    bool systemIs64 = false;
    std::string logPath;            // the install log, attached to failure reports
    std::string interfaceLanguage;  // English name of the selected UI language
    ReportTransportSettings transport;
    std::chrono::milliseconds retrySpacing = kReportRetrySpacing;
    // Whole seconds since system start; empty: the millisecond tick / 1000.
    std::function<std::uint32_t()> clockSeconds;
};

class UsageReporter {
public:
    explicit UsageReporter(UsageReporterSettings settings);

    // Stamps the run's start, then builds and posts the start report.
    bool SendStartReport();

    void OnInstallRequested();
    void OnDownloadStarted();
    void OnProgress(std::int32_t percent, std::int32_t speed, std::int32_t averageSpeed, bool usingFallback);
    void OnDownloadFinished(const DownloadOutcome& outcome);
    void OnInstallStarted();
    void OnInstallFinished(const InstallOutcome& outcome);

    // The run's status word, first rule that applies: "cancel" (never
    // requested), "donwload_cancel" (download not finished; stamps its end),
    // "success", "install_cancel" (installing; stamps its end),
    // "install_fail" (download succeeded), "downLoad_fail".
    std::string GetInstallStatus();

    // Builds the result report and posts it: with the log to the upload
    // endpoint for "install_fail" and "downLoad_fail", else to the JSON
    // endpoint.
    bool SendResultReport(const ReportOptions& options);

    // The controller's loops: up to ten attempts, retrySpacing apart.
    bool SendStartReportRepeatedly();
    bool SendResultReportRepeatedly(const ReportOptions& options);

    // Posts "index" and "json_data"; true when the service's reply accepts it.
    bool PostReport(const std::string& url, const std::string& json);
    // Posts "index", "json_data", "upload_type" and the file as "upload_file"
    // named fileName; true when the post went through and the service did
    // not answer with an HTTP error. False at once when fileName or filePath
    // is empty or the file cannot be read.
    bool PostReportWithFile(const std::string& url, const std::string& fileName, const std::string& filePath,
                            const std::string& uploadType, const std::string& json);

    // The link with the machine parameter (see LinkDecoration.h).
    std::string DecorateLink(const std::string& link) const;

    const std::string& GetUserId() const { return userId_; }
    const std::string& GetSystemLanguage() const { return systemLanguage_; }

private:
    // Everything the run tells the reporter; timestamps in seconds since
    // system start, 0 while unset.
    struct RunFacts {
        bool installRequested = false;
        bool downloadFinished = false;
        bool installing = false;
        bool installSucceeded = false;
        bool usingFallback = false;
        bool showThankYou = false;
        std::int32_t progressRate = 0;
        std::int32_t speed = 0;
        std::int32_t averageSpeed = 0;
        std::uint32_t runStart = 0;
        std::uint32_t now = 0;
        std::uint32_t downloadStart = 0;
        std::uint32_t downloadEnd = 0;
        std::uint32_t installStart = 0;
        std::uint32_t installEnd = 0;
        DownloadOutcome download;
        std::string installLastError;
    };

    std::uint32_t NowSeconds() const;
    std::string InstallStatusLocked();
    void AddIdentityMembers(CJsonObject& report) const;
    std::string BuildResultReport(const RunFacts& facts, const std::string& status,
                                  const ReportOptions& options) const;

    const UsageReporterSettings settings_;
    std::string userId_;
    std::string systemLanguage_;
    std::mutex mutex_;  // guards facts_
    RunFacts facts_;
};

// The text sent when the report object cannot be turned into text: version,
// user_id, uuid, app_id and install_status.
std::string FallbackReportText(const std::string& userId, const std::string& uuid, const std::string& appId,
                               const std::string& installStatus);
