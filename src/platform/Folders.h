// The user's and the system's special folders, following HOME, the XDG base
// directories and the XDG user directories (user-dirs.dirs). Paths carry no
// trailing slash; an empty text means the folder cannot be determined.
#pragma once

#include <string>

namespace platform {

std::string GetHomeFolder();
// $XDG_CONFIG_HOME, else $HOME/.config: the roaming application data.
std::string GetConfigHomeFolder();
// $XDG_DATA_HOME, else $HOME/.local/share.
std::string GetDataHomeFolder();
// XDG_DOCUMENTS_DIR from user-dirs.dirs, else $HOME/Documents.
std::string GetDocumentsFolder();
// XDG_DESKTOP_DIR from user-dirs.dirs, else $HOME/Desktop.
std::string GetDesktopFolder();
// The user's Start-menu programs: $XDG_DATA_HOME/applications.
std::string GetUserApplicationsFolder();
// The all-users Start-menu programs: /usr/local/share/applications (root prefix applies).
std::string GetAllUsersApplicationsFolder();
// $TMPDIR, else /tmp.
std::string GetTempFolder();

// Reads one entry (for example "XDG_DOCUMENTS_DIR") of a user-dirs.dirs text;
// "$HOME" is expanded with the home folder given. Empty when absent.
std::string ReadUserDirEntry(const std::string& fileText, const std::string& key,
                             const std::string& home);

}  // namespace platform
