// The process entry's sequence: open the install log, write the start-up
// lines, run the setup window, and end with "Exit app.".
#pragma once

// The installer engine's version, written to the log at start-up.
inline constexpr const char* kInstallerEngineVersion = "1.0.6.0";

// Runs one installer session; always returns 0.
int RunInstaller();
