// The usage reports as the statistics service receives them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <thread>

#include "ReporterFixture.h"
#include "reporting/ReportFormat.h"
#include "reporting/SwitchReasons.h"

namespace {

using testing::ElementsAreArray;
using testing::MatchesRegex;

constexpr const char* kJsonPath = "/api/common_json_post/";
constexpr const char* kUploadPath = "/api/common_post/";

const std::vector<std::string> kStartKeys = {
    "version", "user_id", "system_language", "language",  "uuid",        "app_id",         "option",
    "source",  "app_type", "system_type",    "localtime", "app_version", "install_status",
};

// Members 1 to 39 of every result report.
const std::vector<std::string> kResultKeys = {
    "version", "user_id", "system_language", "language", "uuid", "app_id", "option", "source", "app_type",
    "system_type", "install_status", "localtime", "amazon_download", "show_thankyou", "download_last_error",
    "install_last_error", "download_second", "download_time_string", "install_second", "install_time_string",
    "app_run_second", "app_run_time_string", "progress_rate", "speed_string", "average_speed_string", "speed",
    "average_speed", "auto_install", "run_app", "change_install_path", "add_plan", "create_desktop",
    "app_version", "download_amazom_size_kb", "repair_use_amazom", "fail_use_amazom", "timeout_use_amazom",
    "success_use_amazom", "repair_link",
};

const std::set<std::string> kNumberMembers = {
    "version",       "download_second", "install_second", "app_run_second",          "progress_rate",
    "speed",         "average_speed",   "curl_error",     "download_amazom_size_kb",
};

std::string Text(const JsonNode& report, const std::string& key) {
    const JsonNode* member = FindJsonMember(report, key);
    return member != nullptr && member->type == JsonType::String ? member->text : "<not a string>";
}

std::int64_t Number(const JsonNode& report, const std::string& key) {
    const JsonNode* member = FindJsonMember(report, key);
    return member != nullptr && member->type == JsonType::Integer ? member->intValue : -999999;
}

// Every member is a JSON string except the numbers and the two mirror arrays.
void ExpectMemberTypes(const JsonNode& report) {
    for (const auto& member : report.children) {
        if (kNumberMembers.count(member->key) != 0)
            EXPECT_EQ(member->type, JsonType::Integer) << member->key;
        else if (member->key == "all_url_info" || member->key == "used_url_info")
            EXPECT_EQ(member->type, JsonType::Array) << member->key;
        else
            EXPECT_EQ(member->type, JsonType::String) << member->key;
    }
}

using StartReportTest = ReporterTest;

TEST_F(StartReportTest, SendStartReport_ArrivesWithItsThirteenMembersInOrder) {
    UsageReporter reporter(Settings());
    ASSERT_TRUE(reporter.SendStartReport());

    const auto rows = Stored();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].endpoint, kJsonPath);
    EXPECT_EQ(rows[0].installStatus, "start");
    EXPECT_FALSE(rows[0].log.has_value());
    const auto report = ParseReportJson(rows[0].json);
    ASSERT_TRUE(report) << rows[0].json;
    EXPECT_THAT(MemberKeys(*report), ElementsAreArray(kStartKeys));
    ExpectMemberTypes(*report);
    EXPECT_EQ(Number(*report, "version"), 1022);
    EXPECT_EQ(Text(*report, "user_id"), kTestAdapter);
    EXPECT_EQ(Text(*report, "system_language"), "German");
    EXPECT_EQ(Text(*report, "language"), "Chinese(Simplified)");
    EXPECT_EQ(Text(*report, "uuid"), kTestUuid);
    EXPECT_EQ(Text(*report, "app_id"), "Mirvak Serac Studio");
    EXPECT_EQ(Text(*report, "option"), "full");
    EXPECT_EQ(Text(*report, "source"), "web_ads");
    EXPECT_EQ(Text(*report, "app_type"), "win64");
    EXPECT_EQ(Text(*report, "system_type"), "win32");
    EXPECT_THAT(Text(*report, "localtime"), MatchesRegex(R"([0-9]{4}-[0-9]{2}-[0-9]{2}_[0-9]{2}:[0-9]{2}:[0-9]{2})"));
    EXPECT_EQ(Text(*report, "app_version"), "1.0.1.2 official (01/06/2021)");
    EXPECT_EQ(Text(*report, "install_status"), "start");
}

TEST(UsageReporterIdentity, UserIdIsTheFirstAdapterElseTheUuidAndTheLanguageIsCut) {
    UsageReporterSettings settings;
    settings.identity.uuid = kTestUuid;
    settings.identity.adapterAddresses = {"00-00-00-00-00-01", "00-00-00-00-00-02"};
    settings.identity.systemLanguage = std::string(40, 'x');
    UsageReporter withAdapters(settings);
    EXPECT_EQ(withAdapters.GetUserId(), "00-00-00-00-00-01");
    EXPECT_EQ(withAdapters.GetSystemLanguage(), std::string(31, 'x'));

    settings.identity.adapterAddresses.clear();
    settings.identity.systemLanguage = "Chinese";
    UsageReporter withoutAdapters(settings);
    EXPECT_EQ(withoutAdapters.GetUserId(), kTestUuid);
    EXPECT_EQ(withoutAdapters.GetSystemLanguage(), "Chinese");
}

// One run from the start report to the exit, stopped at some phase. The clock
// reads 1000 at the start report, 1005 when the installation is requested,
// 1010 and 1070 around the download, 1075 and 1100 around the installation,
// and 1200 when the result report is sent.
struct RunCase {
    const char* name;
    std::function<void(UsageReporter&, std::atomic<std::uint32_t>&)> run;
    const char* status;
    bool toUploadEndpoint;
    std::int64_t downloadSeconds;
    std::int64_t installSeconds;
};

DownloadOutcome FinishedDownload(bool succeeded) {
    DownloadOutcome outcome;
    outcome.succeeded = succeeded;
    outcome.errorName = succeeded ? "NoError" : "DispatchFailError";
    outcome.curlError = succeeded ? 0 : 28;
    outcome.lastFailLink = succeeded ? "" : "http://m1.example.test/download/setup.exe";
    return outcome;
}

void Download(UsageReporter& reporter, std::atomic<std::uint32_t>& clock, bool succeeded) {
    clock = 1005;
    reporter.OnInstallRequested();
    clock = 1010;
    reporter.OnDownloadStarted();
    clock = 1070;
    reporter.OnDownloadFinished(FinishedDownload(succeeded));
}

void Install(UsageReporter& reporter, std::atomic<std::uint32_t>& clock, bool finish, bool succeeded) {
    Download(reporter, clock, true);
    clock = 1075;
    reporter.OnInstallStarted();
    if (!finish) return;
    clock = 1100;
    reporter.OnInstallFinished({succeeded, succeeded ? "Success" : "UnpackError", succeeded});
}

const RunCase kRunCases[] = {
    // Download end is stamped when the report is built: 1200 - 0.
    {"closed on the first page", [](UsageReporter&, auto&) {}, "cancel", false, 1200, 0},
    {"closed during the download",
     [](UsageReporter& r, auto& clock) {
         clock = 1005;
         r.OnInstallRequested();
         clock = 1010;
         r.OnDownloadStarted();
     },
     "donwload_cancel", false, 190, 0},
    {"download failed", [](UsageReporter& r, auto& clock) { Download(r, clock, false); }, "downLoad_fail", true, 60,
     0},
    {"closed during the installation", [](UsageReporter& r, auto& clock) { Install(r, clock, false, false); },
     "install_cancel", false, 60, 125},
    {"installation failed", [](UsageReporter& r, auto& clock) { Install(r, clock, true, false); }, "install_fail",
     true, 60, 25},
    {"installed", [](UsageReporter& r, auto& clock) { Install(r, clock, true, true); }, "success", false, 60, 25},
};

using ResultReportTest = ReporterTest;

TEST_F(ResultReportTest, SendResultReport_GoesToTheEndpointOfEachStatusWithItsMembers) {
    for (const RunCase& c : kRunCases) {
        SCOPED_TRACE(c.name);
        clock_ = 1000;
        UsageReporter reporter(Settings());
        ASSERT_TRUE(reporter.SendStartReport());
        c.run(reporter, clock_);
        clock_ = 1200;
        ASSERT_TRUE(reporter.SendResultReport({}));

        const auto rows = Stored();
        ASSERT_FALSE(rows.empty());
        const StoredRow& row = rows.back();
        EXPECT_EQ(row.installStatus, c.status);
        const auto report = ParseReportJson(row.json);
        ASSERT_TRUE(report) << row.json;

        std::vector<std::string> keys = kResultKeys;
        if (std::string(c.status) == "downLoad_fail") {
            keys.push_back("curl_error");
            keys.push_back("last_fail_link");
        }
        EXPECT_THAT(MemberKeys(*report), ElementsAreArray(keys));
        ExpectMemberTypes(*report);
        EXPECT_EQ(Text(*report, "install_status"), c.status);
        EXPECT_EQ(Number(*report, "download_second"), c.downloadSeconds);
        EXPECT_EQ(Text(*report, "download_time_string"), FormatDuration(c.downloadSeconds));
        EXPECT_EQ(Number(*report, "install_second"), c.installSeconds);
        EXPECT_EQ(Text(*report, "install_time_string"), FormatDuration(c.installSeconds));
        EXPECT_EQ(Number(*report, "app_run_second"), 200);
        EXPECT_EQ(Text(*report, "app_run_time_string"), "00:03:20");

        if (c.toUploadEndpoint) {
            EXPECT_EQ(row.endpoint, kUploadPath);
            EXPECT_EQ(row.uploadType, c.status);
            EXPECT_EQ(row.logName, kTestUuid);
            EXPECT_EQ(row.log, std::optional<std::string>(kTestLog));
        } else {
            EXPECT_EQ(row.endpoint, kJsonPath);
            EXPECT_FALSE(row.log.has_value());
        }
    }
}

MirrorReport Mirror(const std::string& host, bool usable, std::uint32_t ping, bool answered, bool notFull,
                    std::int64_t reported) {
    MirrorReport mirror;
    mirror.url = "http://" + host + "/download/MirvakSeracStudio_setup.exe";
    mirror.host = host;
    mirror.usable = usable;
    mirror.pingTime = ping;
    mirror.pingAnswered = answered;
    mirror.networkNotFull = notFull;
    mirror.expectedSize = 1310720000;
    mirror.reportedSize = reported;
    return mirror;
}

// A failed download that went to the fallback mirror: the whole report as
// the service stores it, byte for byte (only the local time is the run's).
TEST_F(ResultReportTest, SendResultReport_FailedDownloadCarriesMirrorsReasonsAndTheLog) {
    UsageReporter reporter(Settings());
    ASSERT_TRUE(reporter.SendStartReport());
    clock_ = 1005;
    reporter.OnInstallRequested();
    clock_ = 1010;
    reporter.OnDownloadStarted();
    reporter.OnProgress(40, 900, 800, false);
    reporter.OnProgress(57, 1048577, 1025, true);

    DownloadOutcome outcome = FinishedDownload(false);
    outcome.allMirrors = {Mirror("m1.example.test", true, 35, true, true, 1310720000),
                          Mirror("m2.example.test", false, 0, false, false, -1)};
    outcome.usedMirrors = {Mirror("m1.example.test", true, 35, true, true, 1310720000),
                           Mirror("cdn-dl.example.net", true, 0, false, false, 1310720000)};
    outcome.fallbackKilobytes = 2047.9;
    outcome.repairLink = "http://cdn-dl.example.net/download/MirvakSeracStudio_setup.exe";
    ApplyFallbackUses(outcome, {{"m1.example.test", 2}, {"m1.example.test", 1}, {"m1.example.test", 2}},
                      {{"m1.example.test", 5120}});
    clock_ = 3725 + 1010;
    reporter.OnDownloadFinished(outcome);
    clock_ = 5000;
    ASSERT_TRUE(reporter.SendResultReport({true, false, true, false, true}));

    const auto rows = Stored();
    ASSERT_EQ(rows.size(), 2u);
    const StoredRow& row = rows[1];
    EXPECT_EQ(row.endpoint, kUploadPath);
    EXPECT_EQ(row.uploadType, "downLoad_fail");
    EXPECT_EQ(row.logName, kTestUuid);
    EXPECT_EQ(row.log, std::optional<std::string>(kTestLog));
    const auto report = ParseReportJson(row.json);
    ASSERT_TRUE(report);
    const std::string localtime = Text(*report, "localtime");

    const std::string expected =
        R"j({"version":1022,"user_id":"00-1a-2b-3c-4d-5e","system_language":"German",)j"
        R"j("language":"Chinese(Simplified)","uuid":"0123456789ABCDEF0123456789ABCDEF",)j"
        R"j("app_id":"Mirvak Serac Studio","option":"full","source":"web_ads","app_type":"win64",)j"
        R"j("system_type":"win32","install_status":"downLoad_fail","localtime":")j" + localtime + R"j(",)j"
        R"j("amazon_download":"true","show_thankyou":"false","download_last_error":"DispatchFailError",)j"
        R"j("install_last_error":"","download_second":3725,"download_time_string":"01:02:05",)j"
        R"j("install_second":0,"install_time_string":"00:00:00","app_run_second":4000,)j"
        R"j("app_run_time_string":"01:06:40","progress_rate":57,"speed_string":"1.00MB",)j"
        R"j("average_speed_string":"1.00KB","speed":1048577,"average_speed":1025,"auto_install":"true",)j"
        R"j("run_app":"false","change_install_path":"true","add_plan":"false","create_desktop":"true",)j"
        R"j("app_version":"1.0.1.2 official (01/06/2021)","download_amazom_size_kb":2047,)j"
        R"j("repair_use_amazom":"false","fail_use_amazom":"true","timeout_use_amazom":"true",)j"
        R"j("success_use_amazom":"false",)j"
        R"j("repair_link":"http://cdn-dl.example.net/download/MirvakSeracStudio_setup.exe",)j"
        R"j("curl_error":28,"last_fail_link":"http://m1.example.test/download/setup.exe",)j"
        R"j("all_url_info":[)j"
        R"j({"invalid":1,"domain":"m1.example.test","ping_time":35,"ping":1,"is_full":1,)j"
        R"j("cfg_file_size_kb":1280000,"web_file_size_kb":1280000},)j"
        R"j({"invalid":0,"domain":"m2.example.test","ping_time":0,"ping":0,"is_full":0,)j"
        R"j("cfg_file_size_kb":1280000,"web_file_size_kb":0}],)j"
        R"j("all_url_info_str":"(domain-m1.example.test,invalid-1,ping_time-35,ping-1,is_full-0))j"
        R"j((domain-m2.example.test,invalid-0,ping_time-0,ping-0,is_full-1)",)j"
        R"j("used_url_info":[)j"
        R"j({"invalid":1,"domain":"m1.example.test","ping_time":35,"ping":1,"is_full":1,)j"
        R"j("cfg_file_size_kb":1280000,"web_file_size_kb":1280000,"download_file_size_kb":5120,)j"
        R"j("switch_amazon":"true","switch_amazon_reason":"fail,timeOut,"},)j"
        R"j({"invalid":1,"domain":"cdn-dl.example.net","ping_time":0,"ping":0,"is_full":0,)j"
        R"j("cfg_file_size_kb":1280000,"web_file_size_kb":1280000,"download_file_size_kb":0,)j"
        R"j("switch_amazon":"false","switch_amazon_reason":""}],)j"
        R"j("used_url_info_str":"(domain-m1.example.test,invalid-1,ping_time-35,ping-1,is_full-0,)j"
        R"j(download_size-0switch_amazon-1,switch_amazon_reason-fail,timeOut,))j"
        R"j((domain-cdn-dl.example.net,invalid-1,ping_time-0,ping-0,is_full-1,)j"
        R"j(download_size-1switch_amazon-0,switch_amazon_reason-)"})j";
    EXPECT_EQ(row.json, expected);
}

struct MirrorListCase {
    const char* name;
    bool withAll;
    bool withUsed;
    std::vector<std::string> tail;  // members after repair_link
};

TEST_F(ResultReportTest, SendResultReport_LeavesOutTheMembersOfEmptyMirrorLists) {
    const MirrorListCase cases[] = {
        {"no lists", false, false, {}},
        {"all mirrors only", true, false, {"all_url_info", "all_url_info_str"}},
        {"used mirrors only", false, true, {"used_url_info", "used_url_info_str"}},
        {"both", true, true, {"all_url_info", "all_url_info_str", "used_url_info", "used_url_info_str"}},
    };
    for (const MirrorListCase& c : cases) {
        SCOPED_TRACE(c.name);
        UsageReporter reporter(Settings());
        reporter.OnInstallRequested();
        reporter.OnDownloadStarted();
        DownloadOutcome outcome = FinishedDownload(true);
        if (c.withAll) outcome.allMirrors = {Mirror("m1.example.test", true, 3, true, true, 100)};
        if (c.withUsed) outcome.usedMirrors = {Mirror("m1.example.test", true, 3, true, true, 100)};
        reporter.OnDownloadFinished(outcome);
        reporter.OnInstallStarted();
        reporter.OnInstallFinished({true, "Success", true});
        ASSERT_TRUE(reporter.SendResultReport({}));

        const auto report = ParseReportJson(Stored().back().json);
        ASSERT_TRUE(report);
        std::vector<std::string> keys = kResultKeys;
        keys.insert(keys.end(), c.tail.begin(), c.tail.end());
        EXPECT_THAT(MemberKeys(*report), ElementsAreArray(keys));
    }
}

// The install worker may still be reporting progress when the exit sequence
// builds the result report.
TEST_F(ResultReportTest, SendResultReport_WhileProgressIsStillReported) {
    UsageReporter reporter(Settings());
    reporter.OnInstallRequested();
    reporter.OnDownloadStarted();
    std::atomic<bool> stop{false};
    std::thread painter([&] {
        for (std::int32_t i = 0; !stop; i = (i + 1) % 100) reporter.OnProgress(i, i * 1000, i * 900, i % 2 == 0);
    });
    std::thread worker([&] {
        reporter.OnDownloadFinished(FinishedDownload(true));
        reporter.OnInstallStarted();
    });
    const bool sent = reporter.SendResultReport({});
    worker.join();
    stop = true;
    painter.join();
    EXPECT_TRUE(sent);
    ASSERT_EQ(Stored().size(), 1u);
}

}  // namespace
