// The product's own set-up run after unpacking (its main program started with
// an "/install" command line and awaited), and the launcher that starts the
// installed product for the user who owns the desktop.
#pragma once

#include <cstdint>
#include <string>

#include "app/product/ProductConstants.h"

// What the install command line is built from.
struct InstallRunOptions {
    bool joinProgramme = false;    // the "Join" experience-programme box
    std::string installId;         // empty: no " /ID:"
    std::string optionTag;         // empty: no " /option:"
    std::string sourceTag;         // empty: no " /source:"
    std::uint32_t downloadSeconds = 0;  // 0: no " /time:"
    // Polls of 100 ms before the run is ended by force.
    int pollLimit = product::kProductRunPollLimit;
};

inline constexpr int kProductRunPollIntervalMs = 100;

// "/install", " /add_plan", " /ID:<id>", " /new ", " /option:<tag>",
// " /source:<tag>", " /time:<seconds> ", each only when it applies, joined
// without separators.
std::string BuildInstallCommandLine(const InstallRunOptions& options, bool newInstall);

// Runs installFolder/programFileName with the install command line and waits
// while any process of that file name runs, polling every 100 ms up to the
// poll limit; then logs the exit code and ends the started process if it still
// runs. True when the program file exists, whatever the run's outcome.
bool RunMainExe(const std::string& installFolder, const std::string& programFileName, bool newInstall,
                const InstallRunOptions& options);

// Starts a program for the desktop's user without waiting for it. Not root:
// started directly. Root: started with the rights of the user who invoked
// the installer through sudo or pkexec; when no such user is known, nothing
// is started and the result is false, so the product never runs as root.
// The show command has no meaning for a desktop program here and is ignored.
bool RunAsDesktopUser(const std::string& programPath, const std::string& parameters, const std::string& folder,
                      int showCommand);
