// Running processes looked up by their executable file name, the way the
// installer finds and ends the product's programs. Names are exact file
// names without a folder, compared ignoring ASCII case; a process's name is
// the base name of its executable, or of the first argument of its command
// line when the executable cannot be read (another user's process).
#pragma once

#include <sys/types.h>

#include <string>

// The first running process (lowest id) with that file name. False when
// there is none.
bool FindProcessByName(const std::string& fileName, pid_t& processId);

// Ends the first running process with that file name at once (SIGKILL).
// The system's first process and the installer itself are never chosen.
// False when none is running or it could not be ended.
bool TerminateProcessByName(const std::string& fileName);

// The executable file name of a running process; empty when the process is
// gone or has no name (a kernel thread, a process already exited).
std::string GetProcessFileName(pid_t processId);
