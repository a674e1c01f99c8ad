// What the installer asks the system about itself: the version numbers and
// the rules built on them, the architecture and administrator rights.
#pragma once

#include <string>

// The version numbers this platform reports (a current system, in the
// numbering the version rules below are written for).
inline constexpr int kReportedVersionMajor = 10;
inline constexpr int kReportedVersionMinor = 0;

// Whether a machine name as uname reports it is a 64-bit architecture
// (x86_64 and aarch64 count).
bool IsArch64(const std::string& machine);

// Whether the system is 64-bit, from the running kernel's machine name.
bool IsWindows64();

// The system's version numbers; logs "Window Version : %d,%d".
void GetWindowsVersion(int& major, int& minor);

// The version rules as pure functions of the numbers: 7 or later is 6.1 and
// up; Vista or later is major 6 and up.
bool IsWindows7OrLaterVersion(int major, int minor);
bool IsVistaOrLaterVersion(int major);

// The rules applied to this system's numbers. IsWindows7OrLater logs the
// version line as GetWindowsVersion does.
bool IsWindows7OrLater();
bool IsVistaOrLater();

// Whether the process has administrator rights: it runs as root.
bool IsUserAdmin();
