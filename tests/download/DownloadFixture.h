// Shared pieces of the download engine's tests: a generated payload with its
// digests, the manifest text that describes it, local mirrors serving it, and
// a recorder of the engine's events that waits (with a bound) for the end.
#pragma once

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "download/DownloadConfig.h"
#include "download/DownloadTypes.h"
#include "support/MirrorServer.h"
#include "support/TempDir.h"

// Bytes of a deterministic pseudo-random file, with its upper-case digests.
struct Payload {
    std::string bytes;
    std::string wholeDigest;
    std::vector<std::string> blockDigests;

    static Payload Make(std::size_t size, std::uint32_t seed = 1);
};

// The manifest XML for a payload served at the given URLs.
std::string ManifestText(const Payload& payload, const std::vector<std::string>& urls,
                         const std::string& version = "1");

// Settings that keep tests short: a fast dispatcher, a short stall time, and a
// fallback host no test URL contains unless the test says so.
DownloadConfig FastConfig();

// Starts a mirror of file at address with the given faults; fails the test
// (and returns null) when it cannot start.
std::unique_ptr<MirrorServer> StartMirror(const std::string& address, const std::string& file,
                                          const MirrorServerFaults& faults = {},
                                          const std::string& name = "payload.bin");

// Records every event; the end events (4 and 5) wake WaitForEnd.
class EventRecorder {
public:
    struct Event {
        std::int32_t event;
        std::int32_t a;
        std::int32_t b;
    };

    DownloadNotify Notify();
    // True when an end event arrived within timeoutMs.
    bool WaitForEnd(int timeoutMs = 60000);
    int EndCount() const;
    std::vector<Event> Events() const;
    // The first end event; {0,0,0} when none came.
    Event FirstEnd() const;
    int CountOf(std::int32_t event) const;

private:
    mutable std::mutex mutex_;
    std::condition_variable ended_;
    std::vector<Event> events_;
};

// Polls predicate every 20 ms for at most timeoutMs.
bool WaitUntil(const std::function<bool()>& predicate, int timeoutMs);
