#include "app/log/ILog.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>

#include "platform/FileIo.h"
#include "platform/Tick.h"

ILog::~ILog() = default;

std::string FormatElapsedStamp(std::uint32_t elapsedMs) {
    const unsigned seconds = elapsedMs / 1000u;
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%02u:%02u:%02u : ", seconds / 3600u, (seconds % 3600u) / 60u,
                  seconds % 60u);
    return stamp;
}

void ILog::Open(const std::string& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    path_ = path;
    startTick_ = platform::GetTickCount32();
    AppendToFile(path_, std::string(kLogBanner) + "00:00:00 : Init Log OK.\n");
}

void ILog::SetLineHook(LogLineHook hook) {
    std::lock_guard<std::mutex> lock(mutex_);
    lineHook_ = std::move(hook);
}

std::string ILog::GetPath() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return path_;
}

void ILog::WriteLine(const std::string& message) {
    LogLineHook hook;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!path_.empty()) {
            const std::uint32_t elapsed = platform::GetTickCount32() - startTick_;
            AppendToFile(path_, FormatElapsedStamp(elapsed) + message + "\n");
        }
        hook = lineHook_;
    }
    // Outside the lock: a hook that logs, or that is slow, must not block other writers.
    if (hook) {
        hook(message);
    }
}

// One write() of the whole line on an O_APPEND descriptor: the line lands in
// one piece even if another process appends to the same file. Failures (no
// folder, no permission, full disk) lose the line silently; later lines try again.
void ILog::AppendToFile(const std::string& path, const std::string& text) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        return;
    }
    platform::WriteFully(fd, text.data(), text.size());
    ::close(fd);
}

ILog& GetLog() {
    // Never destroyed: threads that outlive main() may still log.
    static ILog* log = new ILog();
    return *log;
}

void LogPrintf(const char* format, ...) {
    char buffer[kLogMessageBufferSize];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (length < 0) {
        return;
    }
    GetLog().WriteLine(buffer);
}
