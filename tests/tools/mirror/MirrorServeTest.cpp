// What a healthy mirror answers: the installer's size probe (HEAD), its ranged
// GETs, the reachability page, and the answers of an ordinary web server to
// everything else.
#include <gtest/gtest.h>

#include <optional>

#include "CurlFetch.h"
#include "MirrorFixture.h"

namespace {

class MirrorServeTest : public MirrorFixture {};

TEST_F(MirrorServeTest, Head_ReportsFileSizeAndByteRanges) {
    MirrorServer mirror;
    StartMirror(mirror);
    const FetchResult head = Head(mirror.Url());
    ASSERT_EQ(head.code, CURLE_OK);
    EXPECT_EQ(head.status, 200);
    EXPECT_EQ(head.Header("content-length"), std::to_string(kServedSize));
    EXPECT_EQ(head.Header("accept-ranges"), "bytes");
    EXPECT_TRUE(head.HasHeader("last-modified"));
    EXPECT_TRUE(head.body.empty());
    EXPECT_TRUE(mirror.Stop());
}

TEST_F(MirrorServeTest, Get_WithoutRange_SendsTheWholeFile) {
    MirrorServer mirror;
    StartMirror(mirror);
    const FetchResult get = Get(mirror.Url());
    ASSERT_EQ(get.code, CURLE_OK);
    EXPECT_EQ(get.status, 200);
    EXPECT_FALSE(get.HasHeader("content-range"));
    EXPECT_TRUE(get.body == content_) << "body of " << get.body.size() << " bytes differs";
}

struct RangeCase {
    std::string range;
    long status;
    // Expected slice for 206/200; ignored for 416.
    size_t first;
    size_t length;
};

TEST_F(MirrorServeTest, Range_AnswersEachFormWithTheExactBytes) {
    const size_t S = kServedSize;
    const std::string size = std::to_string(S);
    const RangeCase cases[] = {
        {"0-0", 206, 0, 1},
        {"0-99", 206, 0, 100},
        {"262100-262200", 206, 262100, 101},  // across a 256 KiB read piece
        {"1000-", 206, 1000, S - 1000},
        {"-500", 206, S - 500, 500},
        {std::to_string(S - 1) + "-" + std::to_string(S - 1), 206, S - 1, 1},
        {"10-" + std::to_string(S + 1000), 206, 10, S - 10},  // an end past the file is cut
        {"-" + std::to_string(S + 10), 206, 0, S},            // a suffix longer than the file
        {size + "-", 416, 0, 0},
        {std::to_string(S + 5) + "-" + std::to_string(S + 10), 416, 0, 0},
        {"0-1,5-6", 200, 0, S},  // several ranges: the whole file
    };
    MirrorServer mirror;
    StartMirror(mirror);
    for (const RangeCase& c : cases) {
        SCOPED_TRACE("Range: bytes=" + c.range);
        const FetchResult get = Get(mirror.Url(), c.range);
        ASSERT_EQ(get.code, CURLE_OK);
        EXPECT_EQ(get.status, c.status);
        if (c.status == 416) {
            EXPECT_EQ(get.Header("content-range"), "bytes */" + size);
            continue;
        }
        if (c.status == 206) {
            EXPECT_EQ(get.Header("content-range"), "bytes " + std::to_string(c.first) + "-" +
                                                       std::to_string(c.first + c.length - 1) + "/" + size);
        } else {
            EXPECT_FALSE(get.HasHeader("content-range"));
        }
        EXPECT_EQ(get.Header("content-length"), std::to_string(c.length));
        EXPECT_TRUE(get.body == Slice(c.first, c.length)) << "body of " << get.body.size() << " bytes differs";
    }
}

TEST_F(MirrorServeTest, EmptyFile_IsServedEmptyAndEveryRangeIsUnsatisfiable) {
    MirrorServer mirror;
    StartMirror(mirror, [&](MirrorServerOptions& o) { o.file = dir_.WriteFile("empty.bin", ""); });
    const FetchResult head = Head(mirror.Url());
    EXPECT_EQ(head.status, 200);
    EXPECT_EQ(head.Header("content-length"), "0");
    const FetchResult get = Get(mirror.Url());
    EXPECT_EQ(get.code, CURLE_OK);
    EXPECT_EQ(get.status, 200);
    EXPECT_TRUE(get.body.empty());
    for (const char* range : {"0-0", "-5"}) {
        EXPECT_EQ(Get(mirror.Url(), range).status, 416) << range;
    }
}

TEST_F(MirrorServeTest, OtherPaths_AreNotFound) {
    MirrorServer mirror;
    StartMirror(mirror);
    for (const std::string path : {"/", "/download/", "/download/other.bin", "/download/setup.bin/x", "/flag"}) {
        const FetchResult get = Get(mirror.BaseUrl() + path);
        EXPECT_EQ(get.code, CURLE_OK) << path;
        EXPECT_EQ(get.status, 404) << path;
    }
}

TEST_F(MirrorServeTest, Name_DefaultsToTheFileNameAndCanBeChosen) {
    MirrorServer byFile;
    StartMirror(byFile);
    EXPECT_EQ(byFile.Url(), byFile.BaseUrl() + "/download/setup.bin");
    EXPECT_EQ(Head(byFile.Url()).status, 200);

    MirrorServer named;
    StartMirror(named, [](MirrorServerOptions& o) { o.name = "Mirvak Serac Studio Setup.exe"; });
    EXPECT_EQ(Head(named.BaseUrl() + "/download/Mirvak%20Serac%20Studio%20Setup.exe").status,
              200);
    EXPECT_EQ(Head(named.BaseUrl() + "/download/setup.bin").status, 404);
}

TEST_F(MirrorServeTest, FlagPage_AnswersTheConfiguredText) {
    const struct {
        std::optional<std::string> text;
        std::string body;
    } cases[] = {
        {std::nullopt, "1\n"},  // a plain mirror says its network has room
        {"0", "0"},
        {"1", "1"},
        {"10", "10"},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.value_or("(default)"));
        MirrorServer mirror;
        StartMirror(mirror, [&](MirrorServerOptions& o) { o.flagText = c.text; });
        const FetchResult flag = Get(mirror.FlagUrl());
        ASSERT_EQ(flag.code, CURLE_OK);
        EXPECT_EQ(flag.status, 200);
        EXPECT_EQ(flag.body, c.body);
    }
}

}  // namespace
