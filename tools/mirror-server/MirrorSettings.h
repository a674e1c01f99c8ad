// What one mirror serves and which faults it plays, as read from the command
// line by MirrorCommandLine.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mirror {

// A byte span of the served file: [offset, offset + length).
struct ByteSpan {
    uint64_t offset = 0;
    uint64_t length = 0;
};

// Faults of the /download responses (and of /flag.php for noFlag). Byte counts
// are counted per response body, so a stall or a close happens again in every
// response that reaches that many bytes.
struct MirrorFaults {
    std::optional<uint64_t> stallAfter;            // bytes of a body, then a pause
    std::chrono::milliseconds stallTime{0};        // length of that pause
    std::optional<uint64_t> closeAfter;            // bytes of a body, then the connection is cut
    std::vector<ByteSpan> corrupt;                 // file bytes served inverted (XOR 0xFF)
    bool ignoreRange = false;                      // Range is ignored: 200 with the whole file
    int status = 0;                                // non-zero: every /download answer has this status
    uint64_t rate = 0;                             // bytes per second per response; 0 = unlimited
    std::optional<uint64_t> headLength;            // Content-Length a HEAD reports instead of the size
    bool noFlag = false;                           // /flag.php never answers
};

struct MirrorSettings {
    std::string address = "127.0.0.1";
    uint16_t port = 0;  // 0: the system picks a free port
    std::string file;
    std::string name;   // served as /download/<name>; defaults to the file's base name
    // A body of at least two characters starting with "1" tells the installer
    // that the mirror's network has room, so a plain mirror is a usable one.
    std::string flagText = "1\n";
    std::string accessLog;  // empty: no access log
    bool watchStdin = false;
    MirrorFaults faults;
};

}  // namespace mirror
