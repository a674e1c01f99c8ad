// One line per request, appended to a file and flushed at once, so that a test
// can read what a mirror was asked while the mirror still runs.
#pragma once

#include <cstdio>
#include <mutex>
#include <string>

namespace mirror {

class AccessLog {
public:
    AccessLog() = default;
    ~AccessLog();
    AccessLog(const AccessLog&) = delete;
    AccessLog& operator=(const AccessLog&) = delete;

    // Opens the file for appending; false with a reason otherwise.
    bool Open(const std::string& path, std::string& error);

    // "METHOD PATH RANGE STATUS LENGTH"; does nothing when no file is open.
    void Write(const std::string& method, const std::string& path, const std::string& range,
               const std::string& status, const std::string& length);

private:
    std::mutex mutex_;
    std::FILE* file_ = nullptr;
};

}  // namespace mirror
