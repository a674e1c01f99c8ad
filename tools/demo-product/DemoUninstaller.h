// The demo product's uninstaller ("uninstall.exe" in the install folder):
// removes what the installer put in place for the product. The uninstall
// entry's key name is taken from the package information block the
// installer wrote beside it ("uninstall.exe.bin").
#pragma once

#include <string>

class DemoUninstaller {
public:
    // silent: print nothing (the "/SILENT" switch).
    DemoUninstaller(std::string installFolder, bool silent);

    // Removes the shortcuts, the uninstall entry and the install folder.
    // Returns the process exit code: 0, or 1 when the install folder is not
    // the one the installer made (no block file beside the uninstaller).
    int Run();

    // The registry tool next to the uninstaller, else the first one on PATH;
    // empty when there is none.
    std::string FindRegistryTool() const;

private:
    bool ReadUninstallKeyName(std::string& keyName) const;
    void RemoveUninstallEntry(const std::string& keyName) const;
    void Say(const std::string& text) const;

    std::string installFolder_;
    bool silent_;
};
