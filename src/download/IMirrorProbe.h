// The three questions the mirror check asks each mirror: does its host answer
// a ping, how long is the file it serves, and does its network still have room.
#pragma once

#include <cstdint>
#include <string>

enum class PingOutcome {
    Answered,
    NoAnswer,
    // No ICMP socket may be opened by this process: the ping says nothing about the mirror.
    NotPermitted,
};

class IMirrorProbe {
public:
    virtual ~IMirrorProbe() = default;

    // Pings the URL's host; on an answer, roundTripMs is its round trip.
    virtual PingOutcome Ping(const std::string& url, std::uint32_t& roundTripMs) = 0;
    // The file length the mirror announces, -1 when the probe fails.
    virtual std::int64_t FileLength(const std::string& url) = 0;
    // The mirror's reachability page says it has room.
    virtual bool NetworkNotFull(const std::string& url) = 0;
};
