#include "reporting/ReportFormat.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

struct DurationCase {
    std::int64_t seconds;
    const char* text;
};

TEST(ReportFormat, FormatDuration_SplitsHoursMinutesSecondsAndBlanksNegatives) {
    const DurationCase cases[] = {
        {0, "00:00:00"},     {59, "00:00:59"},   {60, "00:01:00"},       {3599, "00:59:59"},
        {3600, "01:00:00"},  {3725, "01:02:05"}, {86399, "23:59:59"},    {360000, "100:00:00"},
        {-1, ""},            {-3600, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatDuration(c.seconds), c.text) << c.seconds;
}

struct SpeedCase {
    std::int64_t bytesPerSecond;
    const char* text;
};

TEST(ReportFormat, FormatSpeed_ChangesUnitOnlyAboveEachBoundary) {
    const SpeedCase cases[] = {
        {0, "0Byte"},          {1023, "1023Byte"},       {1024, "1024Byte"},  {1025, "1.00KB"},
        {1536, "1.50KB"},      {1048575, "1024.00KB"},   {1048576, "1024.00KB"},
        {1048577, "1.00MB"},   {5242880, "5.00MB"},      {2147483647, "2048.00MB"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatSpeed(c.bytesPerSecond), c.text) << c.bytesPerSecond;
}

TEST(ReportFormat, FormatLocalTime_PadsAllButTheYearAndCountsMonthsFromOne) {
    std::tm time{};
    time.tm_year = 2021 - 1900;
    time.tm_mon = 0;
    time.tm_mday = 6;
    time.tm_hour = 9;
    time.tm_min = 5;
    time.tm_sec = 3;
    EXPECT_EQ(FormatLocalTime(time), "2021-01-06_09:05:03");

    time.tm_mon = 11;
    time.tm_mday = 31;
    time.tm_hour = 23;
    time.tm_min = 59;
    time.tm_sec = 58;
    EXPECT_EQ(FormatLocalTime(time), "2021-12-31_23:59:58");

    EXPECT_THAT(FormatLocalTime(), testing::MatchesRegex(R"([0-9]{4}-[0-9]{2}-[0-9]{2}_[0-9]{2}:[0-9]{2}:[0-9]{2})"));
}

}  // namespace
