// The installer's own reporter settings: the build's endpoints and CA bundle,
// the product profile, the machine identity and the user's languages. Tests
// build their settings by hand instead.
#pragma once

#include <string>

#include "reporting/UsageReporter.h"

// uuid is the run's identifier; option and source are the installer's
// file-name tags; appVersion its version text; logPath the install log.
// The interface language is read as selected now, so call it after the
// language has been chosen.
UsageReporterSettings MakeInstallerReporterSettings(const std::string& uuid, const std::string& option,
                                                    const std::string& source, const std::string& appVersion,
                                                    const std::string& logPath);

// A web link with the machine parameter of this machine, for links opened
// when no reporter is at hand.
std::string DecorateLinkForThisMachine(const std::string& link);
