// The faults a mirror plays for the download engine's tests. Timings are
// checked loosely (lower bounds with slack, generous upper bounds), since the
// machines running them are shared and slow.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "CurlFetch.h"
#include "MirrorFixture.h"

namespace {

class MirrorFaultTest : public MirrorFixture {};

TEST_F(MirrorFaultTest, Stall_PausesEveryResponseOnceAndLosesNoByte) {
    MirrorServer mirror;
    StartMirror(mirror, [](MirrorServerOptions& o) {
        o.faults.stallAfterBytes = 100000;
        o.faults.stallSeconds = 1.0;
    });

    const FetchResult whole = Get(mirror.Url());
    ASSERT_EQ(whole.code, CURLE_OK);
    EXPECT_GE(whole.seconds, 0.8);
    EXPECT_TRUE(whole.body == content_);

    // Counted from the start of each body, so a range stalls as well.
    const FetchResult range = Get(mirror.Url(), "2000000-2199999");
    ASSERT_EQ(range.code, CURLE_OK);
    EXPECT_GE(range.seconds, 0.8);
    EXPECT_TRUE(range.body == Slice(2000000, 200000));

    // A body shorter than the stall point never stalls.
    const FetchResult shortRange = Get(mirror.Url(), "0-99999", 700);
    EXPECT_EQ(shortRange.code, CURLE_OK);
    EXPECT_TRUE(mirror.Stop());
}

TEST_F(MirrorFaultTest, Close_CutsEachBodyAfterExactlyThatManyBytes) {
    const struct {
        uint64_t closeAfter;
        std::string range;
        long status;
        size_t first;
        size_t delivered;
        CURLcode code;
    } cases[] = {
        {1000, "", 200, 0, 1000, CURLE_PARTIAL_FILE},
        {300000, "5000-999999", 206, 5000, 300000, CURLE_PARTIAL_FILE},  // past a read piece
        {0, "", 200, 0, 0, CURLE_PARTIAL_FILE},                         // right after the headers
        {1000, "0-99", 206, 0, 100, CURLE_OK},                          // body shorter than the cut
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("close after " + std::to_string(c.closeAfter) + " range " + c.range);
        MirrorServer mirror;
        StartMirror(mirror, [&](MirrorServerOptions& o) { o.faults.closeAfterBytes = c.closeAfter; });
        const FetchResult get = Get(mirror.Url(), c.range);
        EXPECT_EQ(get.code, c.code);
        EXPECT_EQ(get.status, c.status);
        EXPECT_TRUE(get.body == Slice(c.first, c.delivered)) << "got " << get.body.size() << " bytes";
    }
}

TEST_F(MirrorFaultTest, Corrupt_InvertsExactlyTheSpansAValidBodyCovers) {
    // The second span straddles the first 256 KiB read piece boundary.
    const std::pair<uint64_t, uint64_t> spans[] = {{5000, 100}, {262140, 10}};
    auto expected = [&](size_t first, size_t length) {
        std::string bytes = Slice(first, length);
        for (const auto& [offset, count] : spans) {
            for (uint64_t at = offset; at < offset + count; ++at) {
                if (at >= first && at < first + length) {
                    bytes[at - first] = static_cast<char>(bytes[at - first] ^ 0xFF);
                }
            }
        }
        return bytes;
    };
    const struct {
        std::string range;
        size_t first;
        size_t length;
    } cases[] = {
        {"", 0, kServedSize},
        {"4950-5049", 4950, 100},   // covers the first span's start only
        {"0-4999", 0, 5000},        // ends right before it: untouched
        {"262000-262999", 262000, 1000},
    };
    MirrorServer mirror;
    StartMirror(mirror, [&](MirrorServerOptions& o) { o.faults.corruptSpans = {spans[0], spans[1]}; });
    for (const auto& c : cases) {
        SCOPED_TRACE("range " + c.range);
        const FetchResult get = Get(mirror.Url(), c.range);
        ASSERT_EQ(get.code, CURLE_OK);
        ASSERT_EQ(get.body.size(), c.length);
        const std::string want = expected(c.first, c.length);
        for (size_t i = 0; i < c.length; ++i) {
            ASSERT_EQ(get.body[i], want[i]) << "at file offset " << c.first + i;
        }
    }
}

TEST_F(MirrorFaultTest, IgnoreRange_AnswersTheWholeFileWith200) {
    MirrorServer mirror;
    StartMirror(mirror, [](MirrorServerOptions& o) { o.faults.ignoreRange = true; });
    const FetchResult get = Get(mirror.Url(), "100-199");
    ASSERT_EQ(get.code, CURLE_OK);
    EXPECT_EQ(get.status, 200);
    EXPECT_FALSE(get.HasHeader("content-range"));
    EXPECT_TRUE(get.body == content_);
    const FetchResult head = Head(mirror.Url());
    EXPECT_EQ(head.Header("accept-ranges"), "none");
    EXPECT_EQ(head.Header("content-length"), std::to_string(kServedSize));
}

TEST_F(MirrorFaultTest, Status_AnswersEveryDownloadRequestButNotTheFlagPage) {
    for (const int status : {404, 500, 503}) {
        SCOPED_TRACE(status);
        MirrorServer mirror;
        StartMirror(mirror, [&](MirrorServerOptions& o) { o.faults.status = status; });
        EXPECT_EQ(Head(mirror.Url()).status, status);
        EXPECT_EQ(Get(mirror.Url()).status, status);
        EXPECT_EQ(Get(mirror.Url(), "0-99").status, status);
        const FetchResult flag = Get(mirror.FlagUrl());
        EXPECT_EQ(flag.status, 200);
        EXPECT_EQ(flag.body, "1\n");
    }
}

TEST_F(MirrorFaultTest, Rate_SlowsEachBodyToTheLimit) {
    MirrorServer mirror;
    StartMirror(mirror, [](MirrorServerOptions& o) { o.faults.bytesPerSecond = 200000; });
    // 300000 bytes at 200000 bytes per second: about 1.5 seconds.
    const FetchResult get = Get(mirror.Url(), "0-299999");
    ASSERT_EQ(get.code, CURLE_OK);
    EXPECT_GE(get.seconds, 1.0);
    EXPECT_TRUE(get.body == Slice(0, 300000));
}

TEST_F(MirrorFaultTest, HeadLength_ChangesOnlyWhatHeadReports) {
    for (const uint64_t length : {uint64_t{12345}, uint64_t{0}, uint64_t{kServedSize + 1}}) {
        SCOPED_TRACE(length);
        MirrorServer mirror;
        StartMirror(mirror, [&](MirrorServerOptions& o) { o.faults.headLength = length; });
        const FetchResult head = Head(mirror.Url());
        ASSERT_EQ(head.code, CURLE_OK);
        EXPECT_EQ(head.Header("content-length"), std::to_string(length));
        const FetchResult get = Get(mirror.Url());
        ASSERT_EQ(get.code, CURLE_OK);
        EXPECT_TRUE(get.body == content_);
    }
}

TEST_F(MirrorFaultTest, NoFlag_TheClientTimesOutWhileDownloadsStillWork) {
    MirrorServer mirror;
    StartMirror(mirror, [](MirrorServerOptions& o) { o.faults.noFlag = true; });
    const FetchResult flag = Get(mirror.FlagUrl(), "", 1000);
    EXPECT_EQ(flag.code, CURLE_OPERATION_TIMEDOUT);
    EXPECT_GE(flag.seconds, 0.8);
    EXPECT_EQ(flag.status, 0);  // not even a status line
    const FetchResult get = Get(mirror.Url(), "0-99");
    EXPECT_EQ(get.code, CURLE_OK);
    EXPECT_TRUE(get.body == Slice(0, 100));
}

// A server stop must not wait for a fault to run out: it ends held flag
// requests and stalled bodies at once, without a reply for the former.
TEST_F(MirrorFaultTest, Stop_EndsHeldAndStalledRequestsPromptly) {
    const std::string log = dir_.Path("access.log");
    MirrorServer mirror;
    StartMirror(mirror, [&](MirrorServerOptions& o) {
        o.accessLog = log;
        o.faults.stallAfterBytes = 1000;
        o.faults.stallSeconds = 60;
        o.faults.noFlag = true;
    });
    const std::string flagUrl = mirror.FlagUrl();
    const std::string url = mirror.Url();
    auto flag = std::async(std::launch::async, [&] { return Get(flagUrl, "", 30000); });
    auto body = std::async(std::launch::async, [&] { return Get(url, "", 30000); });
    // Both requests have reached the mirror once it has logged them.
    const auto logDeadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (ReadLines(log).size() < 2 && std::chrono::steady_clock::now() < logDeadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_EQ(ReadLines(log).size(), 2u);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // the body reaches its stall

    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(mirror.Stop());
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 4.0);

    const FetchResult flagResult = flag.get();
    EXPECT_EQ(flagResult.code, CURLE_GOT_NOTHING);
    EXPECT_LT(flagResult.seconds, 10.0);
    const FetchResult bodyResult = body.get();
    EXPECT_EQ(bodyResult.code, CURLE_PARTIAL_FILE);
    EXPECT_TRUE(bodyResult.body == Slice(0, 1000));
}

}  // namespace
