// Finds and removes the desktop entries (shortcuts) that start programs from
// one install folder.
#pragma once

#include <string>

class DesktopEntryCleaner {
public:
    explicit DesktopEntryCleaner(std::string installFolder);

    // In the folder and its direct sub-folders, removes the entries whose
    // program lies in the install folder. A sub-folder that held one is the
    // product's Start-menu folder: its web links go too, and the sub-folder
    // itself when nothing else is left. Returns the number of entries removed.
    int Clean(const std::string& folder) const;

    // The program an Exec value starts: its first argument, with the value's
    // escapes and the argument's quoting undone.
    static std::string ExecProgram(const std::string& execValue);

private:
    enum class EntryKind { Other, OurProgram, WebLink };
    EntryKind Classify(const std::string& path) const;
    int CleanOne(const std::string& folder, bool productFolder) const;

    std::string installFolder_;
};
