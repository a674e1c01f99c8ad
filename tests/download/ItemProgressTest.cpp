#include <curl/curl.h>
#include <gtest/gtest.h>

#include "download/ItemProgress.h"

namespace {

DownloadItem Range(std::int64_t current, std::int64_t end, ItemState state = ItemState::Runing) {
    DownloadItem item;
    item.start = 0;
    item.current = current;
    item.end = end;
    item.state = state;
    item.hasTransfer = true;
    return item;
}

TEST(ItemProgress, ClaimStopsExactlyAtTheEndOfTheRange) {
    const struct {
        const char* name;
        DownloadItem item;
        std::size_t offered;
        std::size_t claimed;
    } cases[] = {
        {"chunk inside the range", Range(0, 99), 40, 40},
        {"chunk crossing the end", Range(90, 99), 40, 10},
        {"chunk ending on the last byte", Range(60, 99), 40, 40},
        {"range already full", Range(100, 99), 40, 0},
        {"item cut short", Range(10, 99, ItemState::StopByDispatch), 40, 0},
    };
    for (auto c : cases) {
        std::int64_t offset = -1;
        const std::int64_t before = c.item.current;
        EXPECT_EQ(ItemProgress::Claim(c.item, c.offered, offset), c.claimed) << c.name;
        if (c.claimed > 0) {
            EXPECT_EQ(offset, before) << c.name;
            EXPECT_EQ(c.item.current, before + static_cast<std::int64_t>(c.claimed)) << c.name;
        } else {
            EXPECT_EQ(c.item.current, before) << c.name;
        }
    }
}

TEST(ItemProgress, TransferResultSettlesTheState) {
    const struct {
        const char* name;
        DownloadItem item;
        std::int32_t result;
        ItemState state;
        std::int32_t recorded;
    } cases[] = {
        {"whole range, no error", Range(100, 99), CURLE_OK, ItemState::Succeed, CURLE_OK},
        {"answer ended early without an error", Range(60, 99), CURLE_OK, ItemState::Fail, CURLE_PARTIAL_FILE},
        {"transfer error", Range(60, 99), CURLE_RECV_ERROR, ItemState::Fail, CURLE_RECV_ERROR},
        {"write error at the range's end", Range(100, 99), CURLE_WRITE_ERROR, ItemState::Fail, CURLE_WRITE_ERROR},
        {"cut short by the dispatcher", Range(60, 59, ItemState::StopByDispatch), CURLE_ABORTED_BY_CALLBACK,
         ItemState::StopByDispatch, CURLE_ABORTED_BY_CALLBACK},
    };
    for (auto c : cases) {
        ItemProgress::Settle(c.item, c.result, 777);
        EXPECT_EQ(c.item.state, c.state) << c.name;
        EXPECT_EQ(c.item.result, c.recorded) << c.name;
        EXPECT_EQ(c.item.endTick, 777u) << c.name;
        EXPECT_FALSE(c.item.hasTransfer) << c.name;
    }
}

TEST(ItemProgress, SpeedIsTheLastChunkOverTheTimeSinceThePreviousOne) {
    DownloadItem item = Range(0, 99);
    item.lastDataTick = 1000;
    ItemProgress::RecordChunk(item, 5000, 1250);
    EXPECT_EQ(item.speed, 20000u);
    EXPECT_EQ(item.lastDataTick, 1250u);
    ItemProgress::RecordChunk(item, 5000, 1250);
    EXPECT_EQ(item.speed, 20000u) << "a chunk in the same millisecond keeps the last speed";
}

}  // namespace
