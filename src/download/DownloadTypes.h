// The records, events, status values and error codes that cross the download
// engine's interface. The controller, the usage report and the info view read
// them; their numbers are part of the report format and must not change.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

// Event callback: (event, a, b). Called on engine threads; the result is ignored.
using DownloadNotify = std::function<int(std::int32_t event, std::int32_t a, std::int32_t b)>;

enum DownloadEvent : std::int32_t {
    // a = bytes written (low 32 bits), b = total size (low 32 bits).
    kEventProgress = 3,
    // a = bytes written or 0, b = total size or 0.
    kEventFailed = 4,
    // a = bytes written, b = total; a = 0 and b = 1 when the file was already complete.
    kEventFinished = 5,
    // a = item id, b = the item's state after its transfer returned.
    kEventItemEnded = 7,
};

enum class DownloadStatus : std::int32_t {
    None = 0,
    ConfigRejected = 3,
    Failed = 4,
    Finished = 5,
};

enum DownloadError : std::int32_t {
    kNoError = 0,
    kNoNeedDownload = 1,
    kNeedUpdateDownload = 2,
    kConfigDownloadError = 3,
    kConfigLoadError = 4,
    kConfigLoadVersionError = 5,
    kConfigLoadFileSizeError = 6,
    kConfigLoadUrlSizeError = 7,
    kConfigLoadUrlError = 8,
    kConfigLoadHashSizeError = 9,
    kConfigLoadHashError = 10,
    kDownloadCheckUrlError = 11,
    kDownloadMallocError = 12,
    kDownloadUrlCountError = 13,
    kDownloadExeError = 14,
    kDispatchSuccessError = 15,
    kDispatchFailError = 16,
    kDispatchTimeoutError = 17,
    kRepairSuccessError = 18,
    kRepairFailError = 19,
    kRepairTimeoutError = 20,
    kCheckHashError = 21,
};

// The report name of an error code; any other value gives its decimal text.
std::string GetDownloadErrorName(std::int32_t code);

enum class ItemState : std::int32_t {
    Runing = 0,
    StopByDispatch = 1,
    Fail = 2,
    Succeed = 3,
    Replaced = 4,
};

// The enumeration name of a state ("E_Status_Runing", ...), as the info view shows it.
std::string GetItemStateName(ItemState state);

// The manifest holds at most this many mirrors.
inline constexpr int kMaxMirrors = 10;
// Connections per mirror when the request asks for a value outside 1..10.
inline constexpr int kDefaultConnectionsPerMirror = 2;
// Connections per mirror when the fallback mirror is the only one left.
inline constexpr int kFallbackOnlyConnections = 5;
// Verification and repair work on blocks of this size.
inline constexpr std::int64_t kBlockSize = 1048576;

// One mirror.
struct UrlCfg {
    std::string url;
    bool usable = false;
    std::uint32_t pingTime = 0;
    bool networkNotFull = false;
    std::string host;
    bool pingAnswered = false;
    std::int64_t expectedSize = 0;
    std::int64_t reportedSize = -1;
};

// The engine's working copy of the manifest.
struct DownloadRequest {
    std::string path;
    std::int32_t size = 0;
    UrlCfg mirrors[kMaxMirrors];
    std::string wholeDigest;
    std::vector<std::string> blockDigests;
    std::int32_t connectionsPerMirror = kDefaultConnectionsPerMirror;
};

// One connection item: a contiguous byte range fetched over one connection.
struct DownloadItem {
    std::int32_t id = 0;
    std::int64_t start = 0;
    std::int64_t current = 0;  // next byte to write
    std::int64_t end = 0;      // last byte, inclusive
    std::string url;
    bool hasTransfer = false;  // a transfer for this item is running
    std::int32_t result = 0;   // libcurl code of the finished transfer
    std::uint32_t lastDataTick = 0;
    std::uint32_t creationTick = 0;
    std::uint32_t endTick = 0;
    std::uint32_t speed = 0;  // bytes per second over the last chunk
    ItemState state = ItemState::Runing;
    // How many times this range has been handed from one mirror to another
    // after a failure or a stall; bounded so a range cannot bounce forever.
    std::int32_t handoffs = 0;
};

using ItemTable = std::map<std::int32_t, DownloadItem>;

struct DownloadSnapshot {
    std::int32_t connectionCount = 0;
    std::int64_t totalSize = 0;
    std::int64_t bytesWritten = 0;
    ItemTable items;
};

struct ProxySetting {
    std::int32_t enabled = 0;
    std::int32_t type = 0;  // 0 HTTP, 1 SOCKS5; other values set no proxy
    std::string host;
    std::string port;
    std::string user;
    std::string password;
};

enum class FallbackKind : std::int32_t {
    Repair = 0,
    Stall = 1,
    Fail = 2,
    Split = 3,
};

// One use of the fallback mirror; host is the host of the mirror given up.
struct FallbackEvent {
    std::string host;
    FallbackKind kind = FallbackKind::Repair;
};

struct MirrorTraffic {
    std::string host;
    std::int64_t kilobytes = 0;
};
