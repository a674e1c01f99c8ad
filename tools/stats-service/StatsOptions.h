// The statistics service's command line.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct StatsOptions {
    // Holds the database and the service's own certificate and key.
    std::string dataFolder = "mss-stats-data";
    // A loopback address; the service never listens anywhere else.
    std::string bindAddress = "127.0.0.1";
    // 0 lets the system choose a free port; the "listening" line tells which.
    int jsonPort = 0;
    int uploadPort = 0;
    // Replaces the body answered to valid posts on the JSON endpoint, so that
    // the installer's handling of other replies can be tried against it.
    std::optional<std::string> replyOverride;
    // Ends the service when its standard input is closed, so that a parent
    // that dies cannot leave it running.
    bool exitOnStdinClose = false;
    bool showHelp = false;
};

// Parses the arguments (without the program name); false with a message in
// error for unknown options, missing values, bad ports and addresses that are
// not loopback addresses.
bool ParseStatsOptions(const std::vector<std::string>& args, StatsOptions& options, std::string& error);

// Whether the text is an IPv4 address in 127.0.0.0/8 or "localhost".
bool IsLoopbackAddress(const std::string& address);

extern const char* const kStatsUsage;
