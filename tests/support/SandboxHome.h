// A temporary home folder: HOME points into a fresh folder and the XDG and
// locale variables that would reach outside it are cleared, for the life of
// the object.
#pragma once

#include <memory>
#include <vector>

#include "support/ScopedEnv.h"
#include "support/TempDir.h"

class SandboxHome {
public:
    SandboxHome() {
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "LC_ALL", "LC_MESSAGES", "LANG",
                                 "MSS_ROOT_PREFIX"}) {
            env_.push_back(std::make_unique<ScopedEnv>(name, std::nullopt));
        }
        env_.push_back(std::make_unique<ScopedEnv>("HOME", dir_.path()));
    }

    const TempDir& dir() const { return dir_; }
    std::string home() const { return dir_.path(); }

    // Writes the developer configuration in the Documents folder.
    void WriteDeveloperConfig(const std::string& rootSectionBody) const {
        dir_.WriteFile("Documents/VekDebugConfig.ini", "[root]\n" + rootSectionBody);
    }

private:
    TempDir dir_;
    std::vector<std::unique_ptr<ScopedEnv>> env_;
};
