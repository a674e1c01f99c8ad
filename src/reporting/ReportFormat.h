// The text forms of durations, times and speeds in the usage reports. They
// are read by the statistics service, so they never follow the user's
// locale: the decimal point is always ".".
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

// "HH:MM:SS" (hours may have more digits); the empty text for a negative value.
std::string FormatDuration(std::int64_t seconds);

// The current local time as "2021-01-06_09:05:03" (month and day from 1).
std::string FormatLocalTime();
// The same form of a broken-down time.
std::string FormatLocalTime(const std::tm& time);

// Above 1048576 "%.2fMB", else above 1024 "%.2fKB", else "%dByte".
std::string FormatSpeed(std::int64_t bytesPerSecond);
