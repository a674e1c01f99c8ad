// Collects the install log's messages for the life of the object (through
// the log's line hook; the file, if any, is written as usual).
#pragma once

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "app/log/ILog.h"

class LogCapture {
public:
    LogCapture() {
        GetLog().SetLineHook([this](const std::string& message) {
            std::lock_guard<std::mutex> lock(mutex_);
            lines_.push_back(message);
            return 0;
        });
    }
    ~LogCapture() { GetLog().SetLineHook(nullptr); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::vector<std::string> lines() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return lines_;
    }
    bool Contains(const std::string& line) const {
        const auto all = lines();
        return std::find(all.begin(), all.end(), line) != all.end();
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
};
