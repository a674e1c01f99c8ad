// The setup flow sends each report until the service takes it, a bounded
// number of times.
#pragma once

#include <chrono>
#include <functional>

inline constexpr int kReportAttempts = 10;
inline constexpr std::chrono::milliseconds kReportRetrySpacing{500};

// Calls attempt until it returns true, at most `attempts` times, sleeping
// `spacing` after each false. True when an attempt succeeded.
bool RepeatReport(const std::function<bool()>& attempt, int attempts = kReportAttempts,
                  std::chrono::milliseconds spacing = kReportRetrySpacing);
