// How the extraction engine reports back to its caller, and the error codes
// it reports.
#pragma once

#include <cstdint>

// Codes that reach OnExtractError.
inline constexpr int kExtractErrorFatal = 2;             // the run ended with a fatal error of another kind
inline constexpr int kExtractErrorOutOfMemory = 8;
inline constexpr int kExtractErrorStopped = 255;         // stopped, or the command line was rejected
inline constexpr int kExtractErrorNeedsPassword = 260;   // an encrypted item and no password given
inline constexpr int kExtractErrorData = 261;            // a damaged or refused item
inline constexpr int kExtractErrorArchiveErrors = 262;   // the run ended with archive errors
inline constexpr int kExtractErrorRunner = 263;          // archive missing or unwritable, or the run failed

class I7zFileInfoCallback {
public:
    virtual ~I7zFileInfoCallback() = default;
    // A progress value split into its 32-bit halves (a percentage in practice).
    virtual void OnExtractProgress(std::uint32_t low, std::uint32_t high) = 0;
    virtual void OnExtractError(int code) = 0;
};
