// A shortcut as a freedesktop desktop entry file: a program becomes an entry
// of type Application whose Exec line starts it, a web address an entry of
// type Link. Values are escaped so that any text (blanks, quotes, line breaks,
// per cent signs) reaches the desktop unchanged and the file stays valid.
#pragma once

#include <string>

namespace platform {

struct DesktopEntry {
    std::string name;           // shown name
    std::string target;         // program path, or a web address ("scheme://...")
    std::string arguments;      // command-line text after the program; split like a command line
    std::string workingFolder;  // empty: none
    std::string comment;        // empty: none
    std::string icon;           // icon path or name; empty: the program itself (a web link: "text-html")
};

// Whether a target is a web address rather than a program.
bool IsWebAddress(const std::string& target);

// One argument of an Exec line: in double quotes (with ", `, $ and \ escaped)
// when it is empty or holds a blank or another character the shell would
// read; a per cent sign is doubled either way. alwaysQuote quotes plain words too.
std::string QuoteExecArgument(const std::string& argument, bool alwaysQuote);

// A value of the string type: backslash, line feed, carriage return and tab
// escaped, and a leading blank kept as \s.
std::string EscapeDesktopValue(const std::string& text);

// The file's text.
std::string FormatDesktopEntry(const DesktopEntry& entry);

// Writes the entry to path, replacing a file of that name in one step (a
// reader sees the old file or the new one). mode is the file's permission
// bits. False when the file cannot be written.
bool WriteDesktopEntry(const std::string& path, const DesktopEntry& entry, unsigned mode);

}  // namespace platform
