// The dispatcher's decisions over hand-made item tables: which range moves
// where, when a split happens, when the download gives up.
#include <gtest/gtest.h>

#include "download/Dispatcher.h"

namespace {

const std::string kA = "http://a.example.org/download/f";
const std::string kB = "http://b.example.org/download/f";
const std::string kC = "http://c.example.org/download/f";
const std::string kFallback = "http://dl.fallback.example.com/download/f";
constexpr std::uint32_t kNow = 100000;

DownloadItem Item(std::int32_t id, std::int64_t start, std::int64_t current, std::int64_t end,
                  const std::string& url, ItemState state, std::uint32_t speed = 0,
                  std::uint32_t lastData = kNow) {
    DownloadItem item;
    item.id = id;
    item.start = start;
    item.current = current;
    item.end = end;
    item.url = url;
    item.state = state;
    item.speed = speed;
    item.lastDataTick = lastData;
    item.result = state == ItemState::Fail ? 56 : 0;
    return item;
}

ItemTable Table(std::initializer_list<DownloadItem> items) {
    ItemTable table;
    for (const DownloadItem& item : items) {
        table[item.id] = item;
    }
    return table;
}

class DispatcherTest : public ::testing::Test {
protected:
    DispatcherTest() {
        config_.fallbackCdnSuffix = "";
        config_.fallbackCdnPrefix = "";
        config_.fallbackMainHost = "fallback.example.com";
        context_.now = kNow;
        context_.total = 10000000;
        context_.written = 5000000;
        context_.connectionCount = 4;
        context_.stallTimeMs = 6000;
        context_.maxRangeHandoffs = 16;
    }

    DispatchResult Pass(ItemTable& items) { return Dispatcher(config_).RunPass(items, context_); }

    DownloadConfig config_;
    DispatchContext context_;
};

TEST_F(DispatcherTest, FailedRangeMovesToTheFastestOtherMirror) {
    ItemTable items = Table({
        Item(0, 0, 500, 999, kA, ItemState::Fail),
        Item(1, 1000, 1200, 1999, kB, ItemState::Runing, 100),
        Item(2, 2000, 2100, 2999, kC, ItemState::Runing, 300),
        Item(3, 3000, 3100, 3999, kA, ItemState::Runing, 900),  // faster, but the failing mirror
    });
    const DispatchResult result = Pass(items);
    ASSERT_FALSE(result.failed);
    ASSERT_EQ(result.newItems, std::vector<std::int32_t>{4});
    const DownloadItem& moved = items.at(4);
    EXPECT_EQ(moved.url, kC);
    EXPECT_EQ(moved.start, 500);
    EXPECT_EQ(moved.current, 500);
    EXPECT_EQ(moved.end, 999);
    EXPECT_EQ(moved.state, ItemState::Runing);
    EXPECT_EQ(moved.speed, 0u);
    EXPECT_EQ(moved.handoffs, 1);
    EXPECT_EQ(items.at(0).state, ItemState::Replaced);
    EXPECT_TRUE(result.fallbackEvents.empty());
}

TEST_F(DispatcherTest, FailedRangeThatArrivedInFullIsSimplyStopped) {
    ItemTable items = Table({Item(0, 0, 1000, 999, kA, ItemState::Fail), Item(1, 1000, 1000, 1999, kB,
                                                                               ItemState::Runing, 50)});
    const DispatchResult result = Pass(items);
    EXPECT_TRUE(result.newItems.empty());
    EXPECT_EQ(items.at(0).state, ItemState::StopByDispatch);
}

TEST_F(DispatcherTest, FailedRangeGoesToTheFallbackWhenNoMirrorDeliversAndTheDownloadFailsWithout) {
    const struct {
        const char* name;
        std::optional<std::string> fallback;
        std::string failingUrl;
        bool repairing;
        bool expectFailure;
        DownloadError error;
    } cases[] = {
        {"fallback takes it", kFallback, kA, false, false, kNoError},
        {"the fallback itself failed it", kFallback, kFallback, false, true, kDispatchFailError},
        {"no fallback", std::nullopt, kA, false, true, kDispatchFailError},
        {"no fallback while repairing", std::nullopt, kA, true, true, kRepairFailError},
    };
    for (const auto& c : cases) {
        context_.fallbackUrl = c.fallback;
        context_.repairing = c.repairing;
        ItemTable items = Table({
            Item(0, 0, 500, 999, c.failingUrl, ItemState::Fail),
            Item(1, 1000, 1000, 1999, kB, ItemState::Runing, 0),  // no speed measured: never chosen
        });
        const DispatchResult result = Pass(items);
        EXPECT_EQ(result.failed, c.expectFailure) << c.name;
        if (c.expectFailure) {
            EXPECT_EQ(result.error, c.error) << c.name;
            EXPECT_EQ(result.curlError, 56) << c.name;
            EXPECT_EQ(result.failLink, c.failingUrl) << c.name;
            EXPECT_TRUE(result.newItems.empty()) << c.name;
        } else {
            ASSERT_EQ(result.newItems.size(), 1u) << c.name;
            EXPECT_EQ(items.at(result.newItems[0]).url, kFallback) << c.name;
            EXPECT_TRUE(result.usedFallback) << c.name;
            ASSERT_EQ(result.fallbackEvents.size(), 1u) << c.name;
            EXPECT_EQ(result.fallbackEvents[0].host, "a.example.org") << c.name;
            EXPECT_EQ(result.fallbackEvents[0].kind, FallbackKind::Fail) << c.name;
        }
    }
}

TEST_F(DispatcherTest, RangeFailedOnTooManyMirrorsEndsTheDownload) {
    context_.maxRangeHandoffs = 3;
    context_.repairing = true;
    ItemTable items = Table({Item(0, 0, 500, 999, kA, ItemState::Fail), Item(1, 1000, 1000, 1999, kB,
                                                                              ItemState::Runing, 500)});
    items[0].handoffs = 3;
    const DispatchResult result = Pass(items);
    EXPECT_TRUE(result.failed);
    EXPECT_EQ(result.error, kDispatchFailError);

    items[0].handoffs = 2;
    items[0].state = ItemState::Fail;
    const DispatchResult retry = Pass(items);
    ASSERT_FALSE(retry.failed);
    EXPECT_EQ(items.at(retry.newItems.at(0)).handoffs, 3);
}

TEST_F(DispatcherTest, StalledRangeMovesUnlessNearlyDoneOrOnTheFallback) {
    context_.fallbackUrl = kFallback;
    const struct {
        const char* name;
        std::uint32_t silentMs;
        std::int64_t written;
        std::string url;
        bool moved;
    } cases[] = {
        {"silent for the stall time", 6000, 5000000, kA, true},
        {"silent 1 ms less", 5999, 5000000, kA, false},
        {"exactly 90 % written", 6000, 9000000, kA, true},
        {"past 90 % written", 7000, 9000001, kA, false},
        {"on the fallback", 60000, 1000000, kFallback, false},
    };
    for (const auto& c : cases) {
        context_.written = c.written;
        ItemTable items = Table({
            Item(0, 0, 400, 999, c.url, ItemState::Runing, 10, kNow - c.silentMs),
            Item(1, 1000, 1500, 1999, kB, ItemState::Runing, 700),
        });
        const DispatchResult result = Pass(items);
        if (!c.moved) {
            EXPECT_TRUE(result.newItems.empty()) << c.name;
            EXPECT_EQ(items.at(0).state, ItemState::Runing) << c.name;
            EXPECT_EQ(items.at(0).end, 999) << c.name;
            continue;
        }
        ASSERT_EQ(result.newItems, std::vector<std::int32_t>{2}) << c.name;
        EXPECT_EQ(items.at(0).state, ItemState::StopByDispatch) << c.name;
        EXPECT_EQ(items.at(0).end, 399) << c.name << ": the old connection keeps only what it wrote";
        EXPECT_EQ(items.at(2).start, 400) << c.name;
        EXPECT_EQ(items.at(2).end, 999) << c.name;
        EXPECT_EQ(items.at(2).url, kB) << c.name;
    }
}

TEST_F(DispatcherTest, StalledRangeWithNoOtherMirrorGoesToTheFallbackOrStays) {
    for (const bool haveFallback : {true, false}) {
        context_.fallbackUrl = haveFallback ? std::optional<std::string>(kFallback) : std::nullopt;
        ItemTable items = Table({Item(0, 0, 400, 999, kA, ItemState::Runing, 10, kNow - 8000)});
        const DispatchResult result = Pass(items);
        if (haveFallback) {
            ASSERT_EQ(result.newItems.size(), 1u);
            EXPECT_EQ(items.at(1).url, kFallback);
            ASSERT_EQ(result.fallbackEvents.size(), 1u);
            EXPECT_EQ(result.fallbackEvents[0].kind, FallbackKind::Stall);
            EXPECT_EQ(result.fallbackEvents[0].host, "a.example.org");
        } else {
            EXPECT_TRUE(result.newItems.empty());
            EXPECT_EQ(items.at(0).state, ItemState::Runing);
        }
    }
}

TEST_F(DispatcherTest, FinishedConnectionSplitsTheLargestRangeFromHalfARangeOf512000Bytes) {
    for (const std::int64_t remaining : {511999, 512000, 512001}) {
        ItemTable items = Table({
            Item(0, 0, 1000, 1000, kA, ItemState::Succeed, 900),
            Item(1, 2000, 2000, 2000 + remaining, kB, ItemState::Runing, 100),
            Item(2, 900000, 900000, 900100, kC, ItemState::Runing, 50),
        });
        const DispatchResult result = Pass(items);
        if (remaining < 512000) {
            EXPECT_TRUE(result.newItems.empty()) << remaining;
            continue;
        }
        ASSERT_EQ(result.newItems, std::vector<std::int32_t>{3}) << remaining;
        const std::int64_t half = remaining / 2;
        EXPECT_EQ(items.at(3).start, 2000 + half) << remaining;
        EXPECT_EQ(items.at(3).end, 2000 + remaining) << remaining;
        EXPECT_EQ(items.at(1).end, 2000 + half - 1) << remaining << ": the halves share no byte";
        EXPECT_EQ(items.at(3).url, kA) << "the fastest mirror other than the split range's";
        EXPECT_EQ(items.at(3).handoffs, 0);
    }
}

TEST_F(DispatcherTest, NoSplitWhileEveryConnectionIsBusy) {
    context_.connectionCount = 2;
    ItemTable items = Table({
        Item(0, 0, 1000, 999, kA, ItemState::Succeed, 900),
        Item(1, 1000, 1000, 9000000, kB, ItemState::Runing, 100),
        Item(2, 9000001, 9000001, 9999999, kC, ItemState::Runing, 100),
    });
    EXPECT_TRUE(Pass(items).newItems.empty());
}

TEST_F(DispatcherTest, SplitWithoutAnotherMeasuredMirrorUsesTheFallbackElseTheFinishedMirror) {
    for (const bool haveFallback : {true, false}) {
        context_.fallbackUrl = haveFallback ? std::optional<std::string>(kFallback) : std::nullopt;
        ItemTable items = Table({
            Item(0, 0, 1000, 999, kA, ItemState::Succeed, 0),
            Item(1, 1000, 1000, 3000000, kB, ItemState::Runing, 100),
        });
        const DispatchResult result = Pass(items);
        ASSERT_EQ(result.newItems.size(), 1u);
        EXPECT_EQ(items.at(2).url, haveFallback ? kFallback : kA);
        if (haveFallback) {
            ASSERT_EQ(result.fallbackEvents.size(), 1u);
            EXPECT_EQ(result.fallbackEvents[0].kind, FallbackKind::Split);
            EXPECT_EQ(result.fallbackEvents[0].host, "a.example.org") << "the finished connection's host";
        }
    }
}

TEST(DispatcherBestUrl, FastestMeasuredItemWinsFirstInIdOrderOnATie) {
    const ItemTable items = Table({
        Item(0, 0, 0, 9, kA, ItemState::Fail, 9999),        // failed items are not asked
        Item(1, 0, 0, 9, kB, ItemState::StopByDispatch, 300),
        Item(2, 0, 0, 9, kC, ItemState::Succeed, 300),
        Item(3, 0, 0, 9, kA, ItemState::Replaced, 9999),
    });
    EXPECT_EQ(Dispatcher::BestUrl(items, nullptr), kB);
    EXPECT_EQ(Dispatcher::BestUrl(items, &kB), kC);
    const ItemTable unmeasured = Table({Item(0, 0, 0, 9, kA, ItemState::Runing, 0), Item(1, 0, 0, 9, kB,
                                                                                        ItemState::Runing, 0)});
    EXPECT_EQ(Dispatcher::BestUrl(unmeasured, &kA), std::nullopt) << "every other item has speed 0";
}

}  // namespace
