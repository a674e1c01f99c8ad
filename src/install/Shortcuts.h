// The product's shortcuts: one on the desktop when the user asked for it, and
// a Start-menu folder named after the product with the program, its
// uninstaller and its web page, both for the user and for all users. Each
// shortcut is a desktop entry file named after the link.
#pragma once

#include <string>

#include "util/HResult.h"

// Shortcut folder codes.
inline constexpr int kShortcutFolderStartMenu = 2;        // the user's Start-menu programs
inline constexpr int kShortcutFolderCommonStartMenu = 3;  // the all-users Start-menu programs
inline constexpr int kShortcutFolderDesktop = 4;          // the user's desktop

struct ShortcutLink {
    std::string target;         // program path or web address; required
    std::string workingFolder;  // empty: none
    std::string linkName;       // file name without ".desktop"; required
    int folderCode = kShortcutFolderDesktop;
    std::string subFolder;      // empty: none
    std::string description;    // empty: none
    std::string iconPath;       // empty: the target's own
    std::string arguments;      // empty: none
};

struct ShortcutRequest {
    std::string installFolder;
    std::string programName;   // the main program's file name
    std::string shortcutName;  // link name of the program and the Start-menu folder's name
    std::string homepageLink;  // home page address with the version appended
    bool desktop = false;
    bool startMenu = true;
    bool commonStartMenu = true;
};

// The folder of a folder code; empty for an unknown code.
std::string GetShortcutFolder(int folderCode);

// Creates one shortcut file, replacing one of the same name. E_POINTER when
// the target or the link name is missing; E_FAIL when the folder does not
// exist or the file cannot be written (also when the link name would leave
// the folder); S_OK otherwise. The Start-menu folders are created when
// missing, since a fresh account often has none yet; the desktop is not.
HRESULT CreateShortcut(const ShortcutLink& link);

// The installation's shortcuts; single failures are ignored.
void CreateShortcuts(const ShortcutRequest& request);

// Makes the desktop pick up the new shortcuts: bumps the user's
// "Shell Icon Size" by one and, 200 ms later, stores it back, then lets
// update-desktop-database index the applications folders when it is present.
void RefreshShellIcons();
