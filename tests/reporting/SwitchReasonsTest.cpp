#include "reporting/SwitchReasons.h"

#include <gtest/gtest.h>

namespace {

MirrorReport UsedMirror(const std::string& host) {
    MirrorReport mirror;
    mirror.host = host;
    mirror.url = "http://" + host + "/download/setup.exe";
    return mirror;
}

TEST(SwitchReasons, FallbackReasonWord_NamesTheFourKindsOnly) {
    EXPECT_EQ(FallbackReasonWord(0), "repair");
    EXPECT_EQ(FallbackReasonWord(1), "timeOut");
    EXPECT_EQ(FallbackReasonWord(2), "fail");
    EXPECT_EQ(FallbackReasonWord(3), "success_new");
    EXPECT_EQ(FallbackReasonWord(4), "");
    EXPECT_EQ(FallbackReasonWord(-1), "");
}

struct ReasonCase {
    const char* name;
    std::vector<FallbackUse> uses;
    std::string reasonA;  // of mirror "a"
    std::string reasonB;  // of mirror "b"
    bool repair, fail, timeout, split;
};

TEST(SwitchReasons, ApplyFallbackUses_WordsEachKindOncePerMirrorInEventOrder) {
    const ReasonCase cases[] = {
        {"no events", {}, "", "", false, false, false, false},
        {"one fail", {{"a", 2}}, "fail,", "", false, true, false, false},
        {"repeated kind written once", {{"a", 2}, {"a", 2}, {"a", 2}}, "fail,", "", false, true, false, false},
        {"order of first appearance",
         {{"a", 1}, {"a", 2}, {"a", 1}, {"a", 0}, {"a", 3}},
         "timeOut,fail,repair,success_new,",
         "",
         true, true, true, true},
        {"per mirror", {{"b", 0}, {"a", 3}, {"b", 1}}, "success_new,", "repair,timeOut,", true, false, true, true},
        // A mirror that was not used, or an event without a host, sets nothing.
        {"unused host", {{"c", 2}, {"", 0}}, "", "", false, false, false, false},
        {"unknown kind", {{"a", 7}}, "", "", false, false, false, false},
    };
    for (const auto& c : cases) {
        DownloadOutcome outcome;
        outcome.usedMirrors = {UsedMirror("a"), UsedMirror("b")};
        ApplyFallbackUses(outcome, c.uses, {});
        EXPECT_EQ(outcome.usedMirrors[0].switchReason, c.reasonA) << c.name;
        EXPECT_EQ(outcome.usedMirrors[1].switchReason, c.reasonB) << c.name;
        EXPECT_EQ(outcome.fallbackForRepair, c.repair) << c.name;
        EXPECT_EQ(outcome.fallbackForFail, c.fail) << c.name;
        EXPECT_EQ(outcome.fallbackForTimeout, c.timeout) << c.name;
        EXPECT_EQ(outcome.fallbackForSplit, c.split) << c.name;
    }
}

TEST(SwitchReasons, ApplyFallbackUses_TakesTheFirstShareOfEachHost) {
    DownloadOutcome outcome;
    outcome.usedMirrors = {UsedMirror("a"), UsedMirror("b"), UsedMirror("c")};
    outcome.usedMirrors[2].kilobytesFetched = 99;  // replaced: c has no share
    ApplyFallbackUses(outcome, {}, {{"b", 700}, {"a", 1200}, {"a", 5}, {"d", 8}});
    EXPECT_EQ(outcome.usedMirrors[0].kilobytesFetched, 1200);
    EXPECT_EQ(outcome.usedMirrors[1].kilobytesFetched, 700);
    EXPECT_EQ(outcome.usedMirrors[2].kilobytesFetched, 0);
}

TEST(SwitchReasons, ApplyFallbackUses_LeavesTheListOfAllMirrorsAlone) {
    DownloadOutcome outcome;
    outcome.allMirrors = {UsedMirror("a")};
    ApplyFallbackUses(outcome, {{"a", 2}}, {{"a", 10}});
    EXPECT_EQ(outcome.allMirrors[0].switchReason, "");
    EXPECT_EQ(outcome.allMirrors[0].kilobytesFetched, 0);
    EXPECT_FALSE(outcome.fallbackForFail);
}

}  // namespace
