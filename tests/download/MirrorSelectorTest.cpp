// The mirror check over a scripted probe: ranking, the cut to five, and the
// fallback's three roles (apart, topping up, alone).
#include <gtest/gtest.h>

#include <map>

#include "download/MirrorProbe.h"
#include "download/MirrorSelector.h"
#include "support/LogCapture.h"

namespace {

constexpr std::int32_t kSize = 5000;

struct MirrorScript {
    PingOutcome ping = PingOutcome::Answered;
    std::uint32_t roundTrip = 10;
    std::int64_t length = kSize;
    bool notFull = true;
};

class ScriptedProbe final : public IMirrorProbe {
public:
    std::map<std::string, MirrorScript> scripts;
    std::vector<std::string> pinged;

    PingOutcome Ping(const std::string& url, std::uint32_t& roundTripMs) override {
        pinged.push_back(url);
        const MirrorScript& s = scripts.at(url);
        roundTripMs = s.roundTrip;
        return s.ping;
    }
    std::int64_t FileLength(const std::string& url) override { return scripts.at(url).length; }
    bool NetworkNotFull(const std::string& url) override { return scripts.at(url).notFull; }
};

std::string Url(int n) {
    return "http://m" + std::to_string(n) + ".example.org/download/f";
}
const std::string kFallbackUrl = "http://main.download.example.com/download/f";

class MirrorSelectorTest : public ::testing::Test {
protected:
    MirrorSelectorTest() {
        config_.fallbackCdnSuffix = ".cdn.example.net";
        config_.fallbackCdnPrefix = "cdn-dl.";
        config_.fallbackMainHost = "download.example.com";
        config_.pingTimeLimitMs = 2000;
    }

    void Add(const std::string& url, const MirrorScript& script = {}) {
        UrlCfg& slot = request_.mirrors[slots_++];
        slot.url = url;
        slot.usable = true;
        probe_.scripts[url] = script;
    }

    MirrorSelection Select() {
        request_.size = kSize;
        return MirrorSelector(config_, probe_).Select(request_, nullptr);
    }

    static std::vector<std::string> UrlsOf(const std::vector<UrlCfg>& mirrors) {
        std::vector<std::string> urls;
        for (const UrlCfg& m : mirrors) {
            urls.push_back(m.url);
        }
        return urls;
    }

    DownloadConfig config_;
    ScriptedProbe probe_;
    DownloadRequest request_;
    int slots_ = 0;
    LogCapture log_;
};

TEST_F(MirrorSelectorTest, SixAnsweringMirrorsAndAFallbackGiveTheFiveFastestInStableOrder) {
    Add(Url(0), {PingOutcome::Answered, 30});
    Add(Url(1), {PingOutcome::Answered, 10});
    Add(Url(2), {PingOutcome::Answered, 20});
    Add(Url(3), {PingOutcome::Answered, 10});  // ties with m1: manifest order kept
    Add(Url(4), {PingOutcome::Answered, 50});
    Add(Url(5), {PingOutcome::Answered, 40});
    Add(kFallbackUrl);
    const MirrorSelection selection = Select();
    EXPECT_EQ(UrlsOf(selection.used), (std::vector<std::string>{Url(1), Url(3), Url(2), Url(0), Url(5)}));
    EXPECT_EQ(selection.connectionsPerMirror, 2);
    EXPECT_TRUE(selection.fallback.usable);
    EXPECT_EQ(selection.fallback.host, ".cdn.example.net");
    EXPECT_EQ(probe_.pinged.size(), 6u) << "the fallback is never pinged";
    ASSERT_EQ(selection.all.size(), static_cast<std::size_t>(kMaxMirrors));
    EXPECT_EQ(selection.all[6].url, kFallbackUrl);
    EXPECT_FALSE(selection.all[7].usable) << "empty slots are listed too";
}

TEST_F(MirrorSelectorTest, MirrorsFailingAnyCheckAreLeftOutButListed) {
    Add(Url(0), {PingOutcome::NoAnswer, 0});
    Add(Url(1), {PingOutcome::Answered, 5, kSize + 1});
    Add(Url(2), {PingOutcome::Answered, 5, -1});
    Add(Url(3), {PingOutcome::Answered, 5, kSize, false});
    Add(Url(4), {PingOutcome::Answered, 7});
    Add(Url(5), {PingOutcome::Answered, 9});
    Add(Url(6), {PingOutcome::Answered, 8});
    const MirrorSelection selection = Select();
    EXPECT_EQ(UrlsOf(selection.used), (std::vector<std::string>{Url(4), Url(6), Url(5)}));
    EXPECT_FALSE(selection.all[0].pingAnswered);
    EXPECT_FALSE(selection.all[0].usable);
    EXPECT_EQ(selection.all[1].reportedSize, kSize + 1);
    EXPECT_EQ(selection.all[1].expectedSize, kSize);
    EXPECT_FALSE(selection.all[1].usable);
    EXPECT_FALSE(selection.all[2].usable);
    EXPECT_TRUE(selection.all[3].usable) << "its size fits; only its network is full";
    EXPECT_FALSE(selection.all[3].networkNotFull);
    EXPECT_EQ(selection.all[4].host, "m4.example.org");
}

TEST_F(MirrorSelectorTest, OneOrTwoMirrorsAreToppedUpWithTheFallback) {
    for (const int regular : {1, 2}) {
        slots_ = 0;
        request_ = DownloadRequest{};
        for (int i = 0; i < regular; ++i) {
            Add(Url(i));
        }
        Add(Url(8), {PingOutcome::NoAnswer});
        Add("http://eu.cdn.example.net/download/f");
        const MirrorSelection selection = Select();
        ASSERT_EQ(selection.used.size(), static_cast<std::size_t>(regular + 1)) << regular;
        EXPECT_EQ(selection.used.back().url, "http://eu.cdn.example.net/download/f") << "the fallback goes last";
        EXPECT_EQ(selection.connectionsPerMirror, 2);
    }
    EXPECT_TRUE(log_.Contains("Download_CheckDownload: Add Ama now.\n"));
}

TEST_F(MirrorSelectorTest, FallbackAloneCarriesTheDownloadWithFiveConnections) {
    Add(Url(0), {PingOutcome::NoAnswer});
    Add(kFallbackUrl);
    const MirrorSelection selection = Select();
    EXPECT_EQ(UrlsOf(selection.used), std::vector<std::string>{kFallbackUrl});
    EXPECT_EQ(selection.connectionsPerMirror, 5);
    EXPECT_TRUE(log_.Contains("Download_CheckDownload: Using Ama now.\n"));
}

TEST_F(MirrorSelectorTest, NothingUsableAndNoFallbackLeavesNoMirror) {
    Add(Url(0), {PingOutcome::NoAnswer});
    Add(kFallbackUrl, {PingOutcome::Answered, 1, kSize - 1});  // the fallback serves another file
    const MirrorSelection selection = Select();
    EXPECT_TRUE(selection.used.empty());
    EXPECT_FALSE(selection.fallback.usable);
    EXPECT_TRUE(log_.Contains("Download_CheckDownload: ERROR : con't find Ama now.\n"));
}

TEST_F(MirrorSelectorTest, WithoutIcmpSocketsMirrorsAreJudgedByTheirOtherChecks) {
    Add(Url(0), {PingOutcome::NotPermitted});
    Add(Url(1), {PingOutcome::Answered, 1500});
    Add(Url(2), {PingOutcome::NotPermitted, 0, kSize + 1});
    Add(Url(3), {PingOutcome::NotPermitted});
    const MirrorSelection selection = Select();
    EXPECT_EQ(UrlsOf(selection.used), (std::vector<std::string>{Url(1), Url(0), Url(3)}))
        << "unmeasured mirrors rank after measured ones, in manifest order";
    EXPECT_FALSE(selection.all[0].pingAnswered);
    EXPECT_EQ(selection.all[0].pingTime, 2000u);
}

TEST_F(MirrorSelectorTest, ASecondFallbackUrlIsNeitherTheFallbackNorARegularMirror) {
    Add(Url(0));
    Add(Url(1));
    Add(Url(2));
    Add(kFallbackUrl);
    Add("http://eu.cdn.example.net/download/f");
    const MirrorSelection selection = Select();
    EXPECT_EQ(UrlsOf(selection.used), (std::vector<std::string>{Url(0), Url(1), Url(2)}));
    EXPECT_EQ(selection.fallback.url, kFallbackUrl);
    EXPECT_EQ(probe_.pinged.size(), 4u) << "the second fallback URL is examined like a regular one";
}

TEST_F(MirrorSelectorTest, ACancelledCheckEndsWithNoMirror) {
    Add(Url(0));
    Add(Url(1));
    request_.size = kSize;
    int asked = 0;
    const MirrorSelection selection =
        MirrorSelector(config_, probe_).Select(request_, [&asked] { return ++asked > 1; });
    EXPECT_TRUE(selection.used.empty());
    EXPECT_EQ(probe_.pinged.size(), 1u);
}

TEST(MirrorProbeRules, ReachabilityPageSaysNotFullOnlyWithAtLeastTwoCharactersStartingWithOne) {
    const struct {
        const char* body;
        bool notFull;
    } cases[] = {{"1", false}, {"1\n", true}, {"10", true}, {"0\n", false}, {"", false}, {"error", false}};
    for (const auto& c : cases) {
        EXPECT_EQ(MirrorProbe::PageSaysNotFull(c.body), c.notFull) << '"' << c.body << '"';
    }
}

}  // namespace
