// The facts the usage reporter is handed by the setup flow. The controller
// fills them from the downloader's getters and the installation's result;
// the reporter keeps its own records so that it does not depend on the
// download engine's headers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One mirror as the reports describe it.
struct MirrorReport {
    std::string url;
    bool usable = false;
    std::uint32_t pingTime = 0;  // milliseconds
    std::string host;
    bool networkNotFull = false;
    bool pingAnswered = false;
    std::int64_t expectedSize = 0;   // bytes
    std::int64_t reportedSize = -1;  // bytes; -1 when the size probe failed
    // Used mirrors only (0 and empty for the list of all mirrors).
    std::int64_t kilobytesFetched = 0;
    std::string switchReason;  // e.g. "fail,timeOut,"
};

// How the download ended, with its mirror statistics.
struct DownloadOutcome {
    std::vector<MirrorReport> allMirrors;
    std::vector<MirrorReport> usedMirrors;
    double fallbackKilobytes = 0.0;
    bool succeeded = false;
    std::string errorName;
    std::int32_t curlError = 0;
    std::string lastFailLink;
    std::string repairLink;
    // Whether the fallback mirror took over from a used mirror for a block
    // repair, a failed connection, a stalled connection or a split.
    bool fallbackForRepair = false;
    bool fallbackForFail = false;
    bool fallbackForTimeout = false;
    bool fallbackForSplit = false;
};

struct InstallOutcome {
    bool succeeded = false;
    std::string errorName;  // the package unpacker's last error name
    bool showThankYou = false;
};

// The user's choices, reported with the result.
struct ReportOptions {
    bool autoInstall = false;  // the countdown, not the user, started the installation
    bool runApp = false;
    bool changeInstallPath = false;
    bool addPlan = false;
    bool createDesktop = false;
};

// One hand-over to the fallback mirror: the host of the mirror given up and
// why (0 block repair, 1 stalled connection, 2 failed connection, 3 split).
struct FallbackUse {
    std::string host;
    std::int32_t kind = 0;
};

// The kilobytes one mirror delivered.
struct MirrorShare {
    std::string host;
    std::int64_t kilobytes = 0;
};
