#include "AccessLog.h"

#include <cerrno>
#include <cstring>

namespace mirror {

AccessLog::~AccessLog() {
    if (file_ != nullptr) {
        std::fclose(file_);
    }
}

bool AccessLog::Open(const std::string& path, std::string& error) {
    file_ = std::fopen(path.c_str(), "ae");
    if (file_ == nullptr) {
        error = "cannot open the access log " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

void AccessLog::Write(const std::string& method, const std::string& path, const std::string& range,
                      const std::string& status, const std::string& length) {
    if (file_ == nullptr) {
        return;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    std::fprintf(file_, "%s %s %s %s %s\n", method.c_str(), path.c_str(),
                 range.empty() ? "-" : range.c_str(), status.c_str(), length.c_str());
    std::fflush(file_);
}

}  // namespace mirror
