// A sandbox for code that uses the registry store, shortcuts or other
// system-wide locations: a temporary home (see SandboxHome) and the root
// prefix pointed into a second temporary folder, so that even a test run as
// root never touches the machine's real store.
#pragma once

#include "support/SandboxHome.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

class RegistrySandbox {
public:
    RegistrySandbox() : prefix_("MSS_ROOT_PREFIX", rootDir_.path()) {}

    const SandboxHome& home() const { return home_; }
    // The folder standing in for "/".
    const TempDir& rootDir() const { return rootDir_; }

private:
    SandboxHome home_;
    TempDir rootDir_;
    ScopedEnv prefix_;
};
