// The engine's settings: which mirror URLs are the fallback mirror, the CA
// bundle for TLS, and the times and bounds of the transfers and the dispatcher.
// The product uses the defaults (from the build configuration); tests give
// their own fallback host and shorter times.
#pragma once

#include <cstdint>
#include <string>

#include "BuildConfig.h"

// A transfer slower than the low-speed limit for the low-speed time is given up.
inline constexpr long kLowSpeedLimitBytesPerSecond = 1;
inline constexpr long kLowSpeedTimeSeconds = 5;
// Upper bound of one range transfer; the low-speed limit ends dead ones far sooner.
inline constexpr long kRangeTransferTimeoutSeconds = 20000;
// The size probe and the reachability page must not let one black-holed mirror
// hold up the mirror check, which examines the mirrors one after another.
inline constexpr long kProbeConnectTimeoutMs = 3000;
inline constexpr long kProbeTimeoutMs = 5000;
// Time limit of one ICMP echo.
inline constexpr std::uint32_t kPingTimeLimitMs = 2000;
// The dispatcher looks at the connections this often.
inline constexpr std::uint32_t kDispatchIntervalMs = 2000;
// A connection without data for this long has stalled and loses the rest of its range.
inline constexpr std::uint32_t kStallTimeMs = 6000;
// A range handed from mirror to mirror more often than this ends the download
// ("DispatchFailError"): every mirror keeps failing it.
inline constexpr int kMaxRangeHandoffs = 16;
// A block still failing its digest after this many repairs ends the download
// ("RepairFailError"): the mirrors do not serve the bytes the manifest describes.
inline constexpr int kMaxBlockRepairs = 3;

struct DownloadConfig {
    // A URL containing any of these (non-empty) texts is the fallback mirror.
    std::string fallbackCdnSuffix = build_config::kFallbackCdnSuffix;
    std::string fallbackCdnPrefix = build_config::kFallbackCdnPrefix;
    std::string fallbackMainHost = build_config::kFallbackMainHost;
    // CA bundle trusted by TLS transfers; empty means the system's store.
    std::string caBundle = build_config::kCaBundle;

    long lowSpeedLimitBytesPerSecond = kLowSpeedLimitBytesPerSecond;
    long lowSpeedTimeSeconds = kLowSpeedTimeSeconds;
    long rangeTransferTimeoutSeconds = kRangeTransferTimeoutSeconds;
    long probeConnectTimeoutMs = kProbeConnectTimeoutMs;
    long probeTimeoutMs = kProbeTimeoutMs;
    std::uint32_t pingTimeLimitMs = kPingTimeLimitMs;
    std::uint32_t dispatchIntervalMs = kDispatchIntervalMs;
    std::uint32_t stallTimeMs = kStallTimeMs;
    int maxRangeHandoffs = kMaxRangeHandoffs;
    int maxBlockRepairs = kMaxBlockRepairs;
};
