#include "reporting/ReportReply.h"

#include <gtest/gtest.h>

#include <string>

#include "reporting/UsageReporter.h"

namespace {

struct ReplyCase {
    std::string reply;
    bool accepted;
};

TEST(ReportReply, IsReportAccepted_OnlyForResultResBooleanTrue) {
    const ReplyCase cases[] = {
        {R"({"result":{"res":true}})", true},
        {R"( { "result" : { "res" : true , "msg":"ok" }, "other":[1,2] } )", true},
        {R"({"result":{"res":false}})", false},
        {R"({"result":{}})", false},
        {R"({"result":{"ok":true}})", false},
        {R"({"other":{"res":true}})", false},
        {R"({"result":true})", false},
        {R"({"result":[true]})", false},
        {R"({"result":{"res":"true"}})", false},
        {R"({"result":{"res":1}})", false},
        {R"({"result":{"res":null}})", false},
        {R"([{"result":{"res":true}}])", false},
        {R"({})", false},
        {"", false},
        {"OK", false},
        {"<html><body>502 Bad Gateway</body></html>", false},
        {R"({"result":{"res":true})", false},
        {R"({"result":{"res":true}} trailing)", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsReportAccepted(c.reply), c.accepted) << c.reply;
}

// A reply nested far deeper than any parser stack would allow, or long, is
// refused without harm.
TEST(ReportReply, IsReportAccepted_RefusesHostileReplies) {
    const std::string deepArrays(200000, '[');
    EXPECT_FALSE(IsReportAccepted(deepArrays));
    std::string deepObjects;
    for (int i = 0; i < 100000; ++i) deepObjects += "{\"result\":";
    EXPECT_FALSE(IsReportAccepted(deepObjects));
    const std::string longText = "{\"result\":{\"res\":true,\"pad\":\"" + std::string(1 << 20, 'x') + "\"}}";
    EXPECT_TRUE(IsReportAccepted(longText));
    EXPECT_FALSE(IsReportAccepted(std::string("{\"result\":{\"res\":tr\0ue}}", 24)));
}

struct FallbackCase {
    const char* userId;
    const char* status;
    const char* text;
};

TEST(ReportReply, FallbackReportText_KeepsTheFiveMembersAndStaysJson) {
    const FallbackCase cases[] = {
        {"00-1a-2b-3c-4d-5e", "cancel",
         R"({"version":1022,"user_id":"00-1a-2b-3c-4d-5e","uuid":"ABC","app_id":"Mirvak Serac Studio","install_status":"cancel"})"},
        {"a\"b\\c", "downLoad_fail",
         R"({"version":1022,"user_id":"a\"b\\c","uuid":"ABC","app_id":"Mirvak Serac Studio","install_status":"downLoad_fail"})"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FallbackReportText(c.userId, "ABC", "Mirvak Serac Studio", c.status), c.text) << c.userId;
}

}  // namespace
