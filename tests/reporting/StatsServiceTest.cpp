// The statistics service on its own: what it accepts, stores and shows.
#include <httplib.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ReporterFixture.h"
#include "support/RunProgram.h"

namespace {

using testing::HasSubstr;
using testing::Not;

constexpr const char* kIndex = "common_install_online_stash";
constexpr const char* kJsonPath = "/api/common_json_post/";
constexpr const char* kUploadPath = "/api/common_post/";

httplib::MultipartFormData Field(const std::string& name, const std::string& value) {
    return {name, value, "", ""};
}

httplib::MultipartFormData File(const std::string& name, const std::string& content, const std::string& fileName) {
    return {name, content, fileName, "text/plain"};
}

class StatsServiceTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(service_.ok()) << service_.error(); }

    httplib::Result PostJsonEndpoint(const httplib::MultipartFormDataItems& items) {
        httplib::SSLClient client("127.0.0.1", service_.jsonPort());
        client.set_ca_cert_path(service_.certificatePath().c_str());
        client.enable_server_certificate_verification(true);
        client.set_connection_timeout(5);
        client.set_read_timeout(5);
        return client.Post(kJsonPath, items);
    }

    httplib::Client PlainClient() {
        httplib::Client client("127.0.0.1", service_.uploadPort());
        client.set_connection_timeout(5);
        client.set_read_timeout(5);
        return client;
    }

    std::vector<StoredRow> Stored() const { return ReadStoredReports(service_.databasePath()); }

    StatsService service_;
};

struct PostCase {
    const char* name;
    bool toUpload;
    httplib::MultipartFormDataItems items;
    int status;
    const char* reason;  // part of the refusal
};

TEST_F(StatsServiceTest, Endpoints_StoreValidPostsAndRefuseOthersWithA400) {
    const std::string report = R"({"uuid":"U1","install_status":"install_fail","language":"English"})";
    const PostCase cases[] = {
        {"valid report", false, {Field("index", kIndex), Field("json_data", report)}, 200, ""},
        {"valid report with log", true,
         {Field("index", kIndex), Field("json_data", report), Field("upload_type", "install_fail"),
          File("upload_file", "log text", "U1")},
         200, ""},
        {"index missing", false, {Field("json_data", report)}, 400, "\\\"index\\\" is missing"},
        {"index wrong", false, {Field("index", "other"), Field("json_data", report)}, 400, "must be"},
        {"json_data missing", false, {Field("index", kIndex)}, 400, "\\\"json_data\\\" is missing"},
        {"json_data not JSON", false, {Field("index", kIndex), Field("json_data", "{\"a\":}")}, 400, "not JSON"},
        {"json_data an array", false, {Field("index", kIndex), Field("json_data", "[1]")}, 400, "not a JSON object"},
        {"upload without file", true,
         {Field("index", kIndex), Field("json_data", report), Field("upload_type", "install_fail")}, 400,
         "upload_file"},
        {"upload with the log as a plain field", true,
         {Field("index", kIndex), Field("json_data", report), Field("upload_type", "install_fail"),
          Field("upload_file", "log text")},
         400, "upload_file"},
        {"upload without type", true,
         {Field("index", kIndex), Field("json_data", report), File("upload_file", "log", "U1")}, 400,
         "upload_type"},
    };
    std::size_t stored = 0;
    for (const PostCase& c : cases) {
        SCOPED_TRACE(c.name);
        httplib::Result result = c.toUpload ? PlainClient().Post(kUploadPath, c.items) : PostJsonEndpoint(c.items);
        ASSERT_TRUE(result) << httplib::to_string(result.error());
        EXPECT_EQ(result->status, c.status);
        if (c.status == 200) {
            ++stored;
            EXPECT_EQ(result->body, R"({"result":{"res":true}})");
        } else {
            EXPECT_THAT(result->body, HasSubstr(R"({"result":{"res":false,"error":)"));
            EXPECT_THAT(result->body, HasSubstr(c.reason));
        }
        EXPECT_EQ(Stored().size(), stored);
    }
    const auto rows = Stored();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].endpoint, kJsonPath);
    EXPECT_EQ(rows[0].uuid, "U1");
    EXPECT_EQ(rows[0].installStatus, "install_fail");
    EXPECT_FALSE(rows[0].log.has_value());
    EXPECT_EQ(rows[1].endpoint, kUploadPath);
    EXPECT_EQ(rows[1].uploadType, "install_fail");
    EXPECT_EQ(rows[1].logName, "U1");
    EXPECT_EQ(rows[1].log, std::optional<std::string>("log text"));
}

TEST_F(StatsServiceTest, Endpoints_RefuseAPostThatIsNotAMultipartForm) {
    httplib::Result result =
        PlainClient().Post(kUploadPath, "index=common_install_online_stash&json_data={}",
                           "application/x-www-form-urlencoded");
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 400);
    EXPECT_THAT(result->body, HasSubstr("multipart/form-data"));
    EXPECT_TRUE(Stored().empty());
}

// Each endpoint lives on its own port and scheme only.
TEST_F(StatsServiceTest, Endpoints_AreOnlyOnTheirOwnPort) {
    const httplib::MultipartFormDataItems report = {Field("index", kIndex), Field("json_data", "{}")};
    httplib::Result onPlain = PlainClient().Post(kJsonPath, report);
    ASSERT_TRUE(onPlain);
    EXPECT_EQ(onPlain->status, 404);

    httplib::SSLClient client("127.0.0.1", service_.jsonPort());
    client.set_ca_cert_path(service_.certificatePath().c_str());
    client.enable_server_certificate_verification(true);
    client.set_connection_timeout(5);
    client.set_read_timeout(5);
    httplib::Result onTls = client.Post(kUploadPath, report);
    ASSERT_TRUE(onTls);
    EXPECT_EQ(onTls->status, 404);
    EXPECT_TRUE(Stored().empty());
}

class StatsPagesTest : public ReporterTest {};

TEST_F(StatsPagesTest, Pages_ListTheReportsAndShowOneWithItsLogEscaped) {
    folder_.WriteFile("Documents/Mirvak/Serac Studio/Log/install.log", "00:00:01 : <b>bold</b> & more\n");
    UsageReporterSettings settings = Settings();
    settings.interfaceLanguage = "English<script>alert(1)</script>";
    UsageReporter reporter(settings);
    ASSERT_TRUE(reporter.SendStartReport());
    reporter.OnInstallRequested();
    reporter.OnDownloadStarted();
    reporter.OnProgress(12, 3000, 2048, false);
    DownloadOutcome outcome;
    MirrorReport mirror;
    mirror.host = "m1.example.test";
    outcome.usedMirrors = {mirror, mirror};
    outcome.usedMirrors[1].host = "cdn-dl.example.net";
    reporter.OnDownloadFinished(outcome);
    ASSERT_TRUE(reporter.SendResultReport({}));

    httplib::Client client("127.0.0.1", service_.uploadPort());
    client.set_connection_timeout(5);
    client.set_read_timeout(5);
    httplib::Result list = client.Get("/");
    ASSERT_TRUE(list);
    EXPECT_EQ(list->status, 200);
    EXPECT_THAT(list->body, HasSubstr("downLoad_fail"));
    EXPECT_THAT(list->body, HasSubstr("start"));
    EXPECT_THAT(list->body, HasSubstr("English&lt;script&gt;alert(1)&lt;/script&gt;"));
    EXPECT_THAT(list->body, Not(HasSubstr("<script>")));
    EXPECT_THAT(list->body, HasSubstr("2.00KB"));
    EXPECT_THAT(list->body, HasSubstr("m1.example.test, cdn-dl.example.net"));
    EXPECT_THAT(list->body, HasSubstr("href=\"/report/2\""));

    httplib::Result page = client.Get("/report/2");
    ASSERT_TRUE(page);
    EXPECT_EQ(page->status, 200);
    EXPECT_THAT(page->body, HasSubstr("&lt;b&gt;bold&lt;/b&gt; &amp; more"));
    EXPECT_THAT(page->body, HasSubstr(kTestUuid));
    EXPECT_THAT(page->body, Not(HasSubstr("<b>bold")));

    httplib::Result log = client.Get("/report/2/log");
    ASSERT_TRUE(log);
    EXPECT_EQ(log->status, 200);
    EXPECT_EQ(log->body, "00:00:01 : <b>bold</b> & more\n");
    EXPECT_THAT(log->get_header_value("Content-Type"), HasSubstr("text/plain"));

    for (const char* missing : {"/report/99", "/report/1/log", "/report/x"}) {
        httplib::Result none = client.Get(missing);
        ASSERT_TRUE(none);
        EXPECT_EQ(none->status, 404) << missing;
    }
}

TEST(StatsServiceProgram, RefusesAddressesOutsideLoopbackAndBadOptions) {
    TempDir folder;
    const std::string binary = DefaultStatsBinary();
    ASSERT_FALSE(binary.empty());
    const std::vector<std::vector<std::string>> refused = {
        {"--bind", "0.0.0.0"},     {"--bind", "10.1.2.3"},    {"--bind", "192.168.1.1"},
        {"--bind", "::"},          {"--json-port", "70000"},  {"--upload-port", "x"},
        {"--unknown"},             {"--data"},
    };
    for (std::vector<std::string> args : refused) {
        args.insert(args.begin(), {"--data", folder.Path("data")});
        EXPECT_EQ(RunProgram(binary, args, {}), 2) << args[2];
    }
}

// A kept data folder keeps its certificate, so an installer trusting it goes
// on working, and keeps its reports.
TEST(StatsServiceProgram, ARestartKeepsTheCertificateAndTheReports) {
    TempDir folder;
    const std::string data = folder.Path("stats data");
    std::string certificate;
    {
        StatsService first(StatsServiceOptions{std::nullopt, data});
        ASSERT_TRUE(first.ok()) << first.error();
        certificate = TempDir::ReadFile(first.certificatePath());
        UsageReporterSettings settings;
        settings.jsonEndpoint = first.JsonEndpoint();
        settings.transport.caBundle = first.certificatePath();
        ASSERT_TRUE(UsageReporter(settings).SendStartReport());
    }
    ASSERT_FALSE(certificate.empty());
    StatsService second(StatsServiceOptions{std::nullopt, data});
    ASSERT_TRUE(second.ok()) << second.error();
    EXPECT_EQ(TempDir::ReadFile(second.certificatePath()), certificate);
    UsageReporterSettings settings;
    settings.jsonEndpoint = second.JsonEndpoint();
    settings.transport.caBundle = data + "/cert.pem";
    EXPECT_TRUE(UsageReporter(settings).SendStartReport());
    EXPECT_EQ(ReadStoredReports(second.databasePath()).size(), 2u);
}

}  // namespace
