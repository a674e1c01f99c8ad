// What the reporter makes of the service's answers, and how often it asks.
#include <gtest/gtest.h>

#include <chrono>

#include "ReporterFixture.h"

namespace {

struct ReplyCase {
    const char* name;
    const char* reply;
    bool accepted;
};

TEST(ReplyRule, PostReport_IsTrueOnlyWhenTheServiceAnswersResTrue) {
    const ReplyCase cases[] = {
        {"res true", R"({"result":{"res":true,"msg":"stored"}})", true},
        {"res false", R"({"result":{"res":false}})", false},
        {"res missing", R"({"result":{"msg":"stored"}})", false},
        {"result missing", R"({"res":true})", false},
        {"res not a boolean", R"({"result":{"res":"true"}})", false},
        {"not JSON", "stored, thank you", false},
        {"empty", "", false},
        {"hostile nesting", "[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[", false},
    };
    for (const ReplyCase& c : cases) {
        SCOPED_TRACE(c.name);
        StatsService service(StatsServiceOptions{c.reply, {}});
        ASSERT_TRUE(service.ok()) << service.error();
        UsageReporterSettings settings;
        settings.jsonEndpoint = service.JsonEndpoint();
        settings.identity.uuid = kTestUuid;
        settings.transport.caBundle = service.certificatePath();
        UsageReporter reporter(settings);
        EXPECT_EQ(reporter.SendStartReport(), c.accepted);
        // The service kept the report either way: the answer alone decided.
        EXPECT_EQ(ReadStoredReports(service.databasePath()).size(), 1u);
    }
}

class RefusingServiceTest : public ReporterTest {
protected:
    RefusingServiceTest() : ReporterTest(StatsServiceOptions{R"({"result":{"res":false}})", {}}) {}
};

TEST_F(RefusingServiceTest, SendStartReportRepeatedly_GivesUpAfterTenAttempts) {
    UsageReporter reporter(Settings());
    EXPECT_FALSE(reporter.SendStartReportRepeatedly());
    EXPECT_EQ(Stored().size(), 10u);
}

TEST_F(RefusingServiceTest, SendResultReportRepeatedly_GivesUpAfterTenAttempts) {
    UsageReporter reporter(Settings());
    EXPECT_FALSE(reporter.SendResultReportRepeatedly({}));
    const auto rows = Stored();
    ASSERT_EQ(rows.size(), 10u);
    EXPECT_EQ(rows.back().installStatus, "cancel");
}

using AcceptingServiceTest = ReporterTest;

TEST_F(AcceptingServiceTest, SendReportsRepeatedly_StopAtTheFirstAcceptedAttempt) {
    UsageReporter reporter(Settings());
    EXPECT_TRUE(reporter.SendStartReportRepeatedly());
    EXPECT_TRUE(reporter.SendResultReportRepeatedly({}));
    EXPECT_EQ(Stored().size(), 2u);
}

// A failure report whose log cannot be read is never sent: every attempt
// fails before any transfer, so the ten attempts pass at once.
TEST_F(AcceptingServiceTest, SendResultReportRepeatedly_WithoutTheLogFailsAtOnce) {
    struct Case {
        const char* name;
        std::string logPath;
        std::string uuid;
    };
    const Case cases[] = {
        {"log missing", folder_.Path("no such.log"), kTestUuid},
        {"no log path", "", kTestUuid},
        {"log is a folder", folder_.path(), kTestUuid},
        {"no uuid", logPath_, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UsageReporterSettings settings = Settings();
        settings.logPath = c.logPath;
        settings.identity.uuid = c.uuid;
        settings.retrySpacing = std::chrono::milliseconds(0);
        UsageReporter reporter(settings);
        reporter.OnInstallRequested();
        reporter.OnDownloadStarted();
        reporter.OnDownloadFinished({});
        EXPECT_EQ(reporter.GetInstallStatus(), "downLoad_fail");
        EXPECT_FALSE(reporter.SendResultReportRepeatedly({}));
    }
    EXPECT_TRUE(Stored().empty());
}

// The upload endpoint's reply body is not read, but a refusal by HTTP status
// is a failed attempt: the report was not kept.
TEST_F(AcceptingServiceTest, PostReportWithFile_IsFalseWhenTheServiceRefusesThePost) {
    UsageReporter reporter(Settings());
    EXPECT_TRUE(reporter.PostReportWithFile(service_.UploadEndpoint(), kTestUuid, logPath_, "install_fail",
                                            R"({"install_status":"install_fail"})"));
    EXPECT_FALSE(reporter.PostReportWithFile(service_.UploadEndpoint(), kTestUuid, logPath_, "install_fail",
                                             "not json"));
    EXPECT_FALSE(reporter.PostReportWithFile(service_.UploadEndpoint(), kTestUuid, logPath_, "",
                                             R"({"install_status":"install_fail"})"));
    EXPECT_EQ(Stored().size(), 1u);
}

}  // namespace
