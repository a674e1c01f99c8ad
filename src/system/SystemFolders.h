// The folders the installer installs into and keeps its data in.
#pragma once

#include <string>

// The default install folder: Program Files with folderName appended.
// Program Files is /opt (under the root prefix) when the process runs as
// root, else $HOME/.local/opt; the 64-bit flag chooses nothing here, as
// there is one program folder for both builds. With create set, the folder
// chain is created. False, with path left unchanged, when the base cannot be
// determined (no home folder) or the result is longer than the folder chain
// limit.
bool GetProgramPath(std::string& path, const std::string& folderName, bool create, bool x64);

// The user's application data: $XDG_CONFIG_HOME, else $HOME/.config. False
// when neither can be determined.
bool GetAppDataFolder(std::string& path);
