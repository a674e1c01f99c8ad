#include "app/log/ILog.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <regex>
#include <sstream>
#include <thread>
#include <vector>

#include "support/TempDir.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

TEST(ElapsedStamp, FormatsWholeSecondsAsHoursMinutesSeconds) {
    const struct {
        std::uint32_t ms;
        const char* stamp;
    } cases[] = {
        {0, "00:00:00 : "},
        {999, "00:00:00 : "},
        {3725000, "01:02:05 : "},
        {59999, "00:00:59 : "},
        {360000000, "100:00:00 : "},  // hours are not cut to two digits
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatElapsedStamp(c.ms), c.stamp) << c.ms;
    }
}

TEST(ILog, OpenWritesBannerAndEachRunAppendsItsOwn) {
    TempDir dir;
    const std::string path = dir.Path("install.log");
    {
        ILog log;
        log.Open(path);
        log.WriteLine("first run");
    }
    {
        ILog log;
        log.Open(path);
        log.WriteLine("second run");
    }
    const std::string expectedRun = std::string(kLogBanner) + "00:00:00 : Init Log OK.\n";
    const std::string text = TempDir::ReadFile(path);
    ASSERT_EQ(text.rfind(expectedRun, 0), 0u) << text;
    const std::regex shape(
        "\n\n-{40}\n00:00:00 : Init Log OK\\.\n\\d\\d:\\d\\d:\\d\\d : first run\n"
        "\n\n-{40}\n00:00:00 : Init Log OK\\.\n\\d\\d:\\d\\d:\\d\\d : second run\n");
    EXPECT_TRUE(std::regex_match(text, shape)) << text;
}

TEST(ILog, MessageEndingInLineFeedLeavesEmptyLine) {
    TempDir dir;
    ILog log;
    log.Open(dir.Path("install.log"));
    log.WriteLine("Test Mode : true\n");
    log.WriteLine("next");
    const auto lines = Lines(TempDir::ReadFile(dir.Path("install.log")));
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[lines.size() - 3].substr(11), "Test Mode : true");
    EXPECT_EQ(lines[lines.size() - 2], "");
    EXPECT_EQ(lines.back().substr(11), "next");
}

TEST(ILog, UnwritableFolderLosesLinesButHookSeesEveryMessage) {
    // A path below a regular file cannot be created, even by root (who writes
    // through permission bits).
    TempDir dir;
    dir.WriteFile("not-a-folder", "x");
    std::vector<std::string> seen;
    ILog log;
    log.SetLineHook([&](const std::string& message) {
        seen.push_back(message);
        return 0;
    });
    log.Open(dir.Path("not-a-folder/install.log"));
    log.WriteLine("one");
    log.WriteLine("two\n");
    EXPECT_EQ(seen, (std::vector<std::string>{"one", "two\n"}));
    struct stat info {};
    EXPECT_NE(stat(dir.Path("not-a-folder/install.log").c_str(), &info), 0);
}

TEST(ILog, HookSeesLinesLoggedBeforeOpen) {
    std::vector<std::string> seen;
    ILog log;
    log.SetLineHook([&](const std::string& message) {
        seen.push_back(message);
        return 0;
    });
    log.WriteLine("early");
    EXPECT_EQ(seen, std::vector<std::string>{"early"});
    EXPECT_EQ(log.GetPath(), "");
}

TEST(ILog, ConcurrentWritersNeverInterleaveLines) {
    TempDir dir;
    ILog log;
    log.Open(dir.Path("install.log"));
    constexpr int kThreads = 6;
    constexpr int kLinesEach = 300;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&log, t] {
            const std::string body(200, static_cast<char>('a' + t));
            for (int i = 0; i < kLinesEach; ++i) log.WriteLine("T" + std::to_string(t) + " " + body);
        });
    }
    for (auto& thread : threads) thread.join();

    const auto lines = Lines(TempDir::ReadFile(dir.Path("install.log")));
    const std::regex whole(R"(\d\d:\d\d:\d\d : T(\d) ([a-f])\2{199})");
    int counted = 0;
    for (const auto& line : lines) {
        if (line.empty() || line[0] == '-' || line.find("Init Log OK") != std::string::npos) continue;
        std::smatch match;
        ASSERT_TRUE(std::regex_match(line, match, whole)) << line.substr(0, 80);
        EXPECT_EQ(match[2].str()[0], 'a' + std::stoi(match[1].str()));
        ++counted;
    }
    EXPECT_EQ(counted, kThreads * kLinesEach);
}

TEST(LogPrintf, FormatsIntoTheProcessLogAndCutsOverlongMessages) {
    TempDir dir;
    GetLog().Open(dir.Path("install.log"));
    LogPrintf("Setup Init. Version %s", "1.0.6.0");
    const std::string huge(20000, 'x');
    LogPrintf("%s", huge.c_str());
    const auto lines = Lines(TempDir::ReadFile(dir.Path("install.log")));
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2].substr(11), "Setup Init. Version 1.0.6.0");
    EXPECT_EQ(lines.back().substr(11), std::string(kLogMessageBufferSize - 1, 'x'));
    GetLog().Open("");
}

}  // namespace
