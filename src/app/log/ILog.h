// The install log: a plain text file to which every part of the installer
// appends short lines stamped with the time elapsed since the log was opened.
// Each line is opened, appended and closed on its own, so the file is complete
// on disk even when the process is killed; writers on different threads are
// serialised so that lines never interleave.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

// Receives every logged message (without stamp and line feed), on the writer's
// thread, whether or not the file could be written. The result is ignored.
using LogLineHook = std::function<int(const std::string& message)>;

class ILog {
public:
    virtual ~ILog();

    // Remembers the path and the start tick, then appends the opening banner.
    void Open(const std::string& path);
    void SetLineHook(LogLineHook hook);
    // Appends stamp, message and line feed; then calls the hook with the message.
    void WriteLine(const std::string& message);

    std::string GetPath() const;

private:
    void AppendToFile(const std::string& path, const std::string& text);

    mutable std::mutex mutex_;  // guards the fields and the open-append-close sequence
    std::string path_;
    std::uint32_t startTick_ = 0;
    LogLineHook lineHook_;
};

// The process-wide log, created empty on the first call and never released.
ILog& GetLog();

// Formats a message printf-style into a buffer of kLogMessageBufferSize bytes
// (longer messages are cut) and writes it as one line of the process-wide log.
void LogPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

inline constexpr std::size_t kLogMessageBufferSize = 13000;

// The text written before each line: "HH:MM:SS : " of the whole seconds in
// elapsedMs (hours are not limited to two digits).
std::string FormatElapsedStamp(std::uint32_t elapsedMs);

// What a new log file, or a new run in an old one, begins with.
inline constexpr const char* kLogBanner = "\n\n----------------------------------------\n";
