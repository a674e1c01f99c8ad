// Starts one local HTTP mirror (the mss-mirror tool) as a child process for a
// test and stops it again. The mirror serves one file as /download/<name> and
// the reachability page /flag.php on a loopback address and a free port, and
// plays the faults asked for.
//
// The tool is found through the environment variable MSS_MIRROR_BINARY, else
// through the path built into the test-support library. The child watches the
// pipe on its standard input, so a test that crashes never leaves it running.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// Faults of the mirror's /download answers. Byte counts are counted from the
// first byte of each response body.
struct MirrorServerFaults {
    std::optional<uint64_t> stallAfterBytes;  // pause after this many body bytes ...
    double stallSeconds = 0;                  // ... for this long
    std::optional<uint64_t> closeAfterBytes;  // cut the connection after this many body bytes
    // (offset, length) spans of the file served inverted (XOR 0xFF).
    std::vector<std::pair<uint64_t, uint64_t>> corruptSpans;
    bool ignoreRange = false;      // 200 with the whole file whatever the Range
    int status = 0;                // non-zero: every /download answer has this status (400..599)
    uint64_t bytesPerSecond = 0;   // rate limit of each body; 0 = none
    std::optional<uint64_t> headLength;  // Content-Length reported by HEAD
    bool noFlag = false;           // /flag.php never answers
};

struct MirrorServerOptions {
    std::string address = "127.0.0.2";  // must lie in 127.0.0.0/8
    uint16_t port = 0;                  // 0: a free port
    std::string file;                   // the file to serve (required)
    std::string name;                   // empty: the file's base name
    std::optional<std::string> flagText;  // unset: the tool's default "1\n" (network has room)
    std::string accessLog;              // file receiving one line per request; empty: none
    MirrorServerFaults faults;
};

class MirrorServer {
public:
    MirrorServer() = default;
    ~MirrorServer();
    MirrorServer(MirrorServer&& other) noexcept;
    MirrorServer& operator=(MirrorServer&& other) noexcept;
    MirrorServer(const MirrorServer&) = delete;
    MirrorServer& operator=(const MirrorServer&) = delete;

    // Starts the mirror (stopping one this object runs already) and waits at
    // most 10 seconds until it listens. False with a reason in `error` when it
    // could not start or exited; its own message is on the test's stderr.
    bool Start(const MirrorServerOptions& options, std::string* error = nullptr);

    // Stops the mirror: end of its input and SIGTERM, then SIGKILL when it has
    // not exited within 5 seconds. True when it exited by itself with status 0.
    // Does nothing (true) when no mirror runs.
    bool Stop();

    bool IsRunning() const { return pid_ > 0; }

    // "127.0.0.2:PORT": the host part of the mirror's URLs.
    std::string Host() const;
    uint16_t Port() const { return port_; }
    // "http://127.0.0.2:PORT"
    std::string BaseUrl() const;
    // "http://127.0.0.2:PORT/download/<name>": the URL of the served file.
    std::string Url() const;
    // "http://127.0.0.2:PORT/flag.php"
    std::string FlagUrl() const;

    // The tool's path: MSS_MIRROR_BINARY, else the built-in one; empty when
    // neither is known.
    static std::string BinaryPath();
    // The tool's arguments for the options (without --watch-stdin).
    static std::vector<std::string> Arguments(const MirrorServerOptions& options);

private:
    bool ReadListeningLine(std::string& error);
    void CloseFds();

    pid_t pid_ = -1;
    int input_ = -1;   // write end of the child's standard input
    int output_ = -1;  // read end of the child's standard output
    std::string address_;
    std::string name_;
    uint16_t port_ = 0;
};
