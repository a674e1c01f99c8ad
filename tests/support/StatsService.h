// Runs the statistics service (mss-stats) as a child process on free
// loopback ports for one test, and stops it when the object goes away.
//
// The service prints "listening json_port=N upload_port=M cert=PATH" once it
// serves; the start waits for that line for a bounded time. The service's
// standard input stays connected to this object, so the service also ends
// when the test process dies. Its diagnostics go to service.log in the data
// folder.
#pragma once

#include <sys/types.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/TempDir.h"

// The service program: MSS_STATS_BINARY from the environment, else the path
// the test program was built with.
inline std::string DefaultStatsBinary() {
    if (const char* fromEnvironment = std::getenv("MSS_STATS_BINARY"); fromEnvironment && *fromEnvironment)
        return fromEnvironment;
#ifdef MSS_STATS_BINARY
    return MSS_STATS_BINARY;
#else
    return {};
#endif
}

struct StatsServiceOptions {
    // Body of the answer to valid JSON-endpoint posts (the service's --reply).
    std::optional<std::string> reply;
    // A data folder to use (and keep); empty: a temporary one of this object.
    std::string dataFolder;
};

class StatsService {
public:
    explicit StatsService(StatsServiceOptions options = {}, const std::string& binary = DefaultStatsBinary());
    ~StatsService();
    StatsService(const StatsService&) = delete;
    StatsService& operator=(const StatsService&) = delete;

    // Whether the service started and announced its ports; error() says why not.
    bool ok() const { return ok_; }
    const std::string& error() const { return error_; }

    int jsonPort() const { return jsonPort_; }
    int uploadPort() const { return uploadPort_; }
    const std::string& certificatePath() const { return certificatePath_; }
    const std::string& dataFolder() const { return dataFolder_; }
    std::string databasePath() const { return dataFolder_ + "/reports.sqlite"; }

    std::string JsonEndpoint() const;
    std::string UploadEndpoint() const;
    // The report list page.
    std::string PageAddress() const;
    // What the service wrote to its standard error so far.
    std::string ServiceLog() const;

    // Stops the service (bounded wait, then SIGKILL); called by the destructor.
    void Stop();

private:
    bool Launch(const StatsServiceOptions& options, const std::string& binary);
    bool ReadListeningLine(int fd);

    std::unique_ptr<TempDir> ownFolder_;
    std::string dataFolder_;
    pid_t pid_ = -1;
    int stdinFd_ = -1;  // closing it tells the service to end
    bool ok_ = false;
    std::string error_;
    int jsonPort_ = 0;
    int uploadPort_ = 0;
    std::string certificatePath_;
};
