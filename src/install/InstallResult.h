// The last install result code: a process-wide value that the unpacker sets
// on failure and the controller reads for its log and its result report.
#pragma once

#include <string>

inline constexpr int kInstallNoError = 0;
inline constexpr int kInstallPointNull = 10000;
inline constexpr int kInstallSetupFileError = 10001;
inline constexpr int kInstallDirWriteError = 10002;
inline constexpr int kInstallMallocError = 10003;
inline constexpr int kInstallInstallFileError = 10004;
inline constexpr int kInstallOpenFileError = 10005;
inline constexpr int kInstallOffsetError = 10006;
inline constexpr int kInstallReadFileError = 10007;
inline constexpr int kInstallUnzipFileError = 10008;

// The name of a result code: the fixed names of the codes above (with the
// product's own spellings), the decimal text for any other code (file-open
// error numbers, -1 for a missing file).
std::string InstallResultName(int code);

int GetInstallResultCode();
std::string GetInstallResultName();
void SetInstallResultCode(int code);
