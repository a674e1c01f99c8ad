// The unpacker's event callback: (kind, value, reserved = 0), called
// synchronously on the unpacking thread. An empty function skips every event.
#pragma once

#include <functional>

using UnpackNotify = std::function<void(int kind, int value, int reserved)>;

inline constexpr int kUnpackStarted = 0;   // value 0
inline constexpr int kUnpackFinished = 1;  // value 0: success
inline constexpr int kUnpackFailed = 2;    // value kInstallSetupFileError or kInstallDirWriteError
inline constexpr int kUnpackProgress = 100;      // value: extraction percent 0 to 100
inline constexpr int kUnpackExtractError = 101;  // value: the extractor's error code
