// The maker's packaging run: from a folder of product files (or a 7z archive
// made elsewhere), an uninstaller and the package information, it writes the
// setup package and, when asked, its download manifest.
#pragma once

#include <string>
#include <vector>

#include "install/PackageInfo.h"

struct PackagerOptions {
    std::string productFolder;  // either this ...
    std::string archive;        // ... or a ready 7z archive
    std::string uninstaller;
    std::string output;         // the setup package
    std::string manifest;       // empty: no manifest
    std::string manifestName;   // empty: the package's file name
    std::vector<std::string> mirrorUrls;
    int compressionLevel = 6;
    PackageInfo info = MakeFreshPackageInfo();
};

class Packager {
public:
    // Reads the command line into options; false with a reason in error().
    bool ParseCommandLine(const std::vector<std::string>& arguments, PackagerOptions& options);
    static std::string Usage();

    bool Run(const PackagerOptions& options);

    const std::string& error() const { return error_; }

private:
    bool SetText(const std::string& option, const std::string& value, PackagerOptions& options);

    std::string error_;
};
