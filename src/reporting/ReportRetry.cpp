#include "reporting/ReportRetry.h"

#include <thread>

bool RepeatReport(const std::function<bool()>& attempt, int attempts, std::chrono::milliseconds spacing) {
    for (int i = 0; i < attempts; ++i) {
        if (attempt()) return true;
        std::this_thread::sleep_for(spacing);
    }
    return false;
}
