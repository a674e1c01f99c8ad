// Records the lines written to the process-wide install log while the
// object lives (through the log's line hook; the hook is removed afterwards).
#pragma once

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "app/log/ILog.h"

class LogLineRecorder {
public:
    LogLineRecorder() {
        GetLog().SetLineHook([this](const std::string& line) {
            std::lock_guard<std::mutex> lock(mutex_);
            lines_.push_back(line);
            return 0;
        });
    }
    ~LogLineRecorder() { GetLog().SetLineHook(nullptr); }
    LogLineRecorder(const LogLineRecorder&) = delete;
    LogLineRecorder& operator=(const LogLineRecorder&) = delete;

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
