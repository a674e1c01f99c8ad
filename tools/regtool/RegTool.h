// mss-reg: reads and edits the installer's registry store from the command
// line, for uninstallers and for people.
//
//   mss-reg query  "<ROOT>\<key>" [/v <name>] [/s] [/reg:32|/reg:64]
//   mss-reg add    "<ROOT>\<key>" [/v <name> /t REG_SZ|REG_DWORD /d <data>] [/f] [/reg:32|/reg:64]
//   mss-reg delete "<ROOT>\<key>" [/v <name>] [/f] [/reg:32|/reg:64]
//   mss-reg export "<ROOT>\<key>" [/reg:32|/reg:64]
//
// ROOT is HKLM or HKCU (HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER). The default
// view is the 32-bit one, where the installer keeps its keys.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// Runs one command; 0 on success, 1 on failure with a message on err.
// Questions (delete or overwrite without /f) are read from in.
int RunRegTool(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err, std::istream& in);
