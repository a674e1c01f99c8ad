#include "reporting/ReportFormat.h"

#include <charconv>
#include <cstdio>

namespace {

// "%.2f" without the locale's decimal separator.
std::string FixedTwoDecimals(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
    return std::string(buffer, result.ptr);
}

}  // namespace

std::string FormatDuration(std::int64_t seconds) {
    if (seconds < 0) return {};
    char text[64];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds % 3600 / 60), static_cast<long long>(seconds % 60));
    return text;
}

std::string FormatLocalTime(const std::tm& time) {
    char text[80];
    std::snprintf(text, sizeof text, "%d-%02d-%02d_%02d:%02d:%02d", time.tm_year + 1900, time.tm_mon + 1,
                  time.tm_mday, time.tm_hour, time.tm_min, time.tm_sec);
    return text;
}

std::string FormatLocalTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return FormatLocalTime(local);
}

std::string FormatSpeed(std::int64_t bytesPerSecond) {
    if (bytesPerSecond > 1048576) return FixedTwoDecimals(static_cast<double>(bytesPerSecond) / 1048576.0) + "MB";
    if (bytesPerSecond > 1024) return FixedTwoDecimals(static_cast<double>(bytesPerSecond) / 1024.0) + "KB";
    return std::to_string(bytesPerSecond) + "Byte";
}
