// The option and source tags taken from the installer's own file name; they
// travel into the usage reports and onto the product's command line.
#pragma once

#include <string>

struct InstallerTags {
    std::string option;
    std::string source;
};

// From a file name such as "Mirvak_Serac_x64_Full_102_Web_Ads_Setup.exe": the
// name is lower-cased and split at "_" (empty pieces dropped); the first and
// last pieces are ignored; among the rest a piece that is a whole decimal
// integer is a marker; pieces before the first marker form the option tag,
// pieces after it the source tag (joined with "_"). Without a marker both
// tags are empty.
InstallerTags ParseInstallerFileName(const std::string& executablePath);

// The tags of the running executable.
InstallerTags ParseInstallerFileName();
