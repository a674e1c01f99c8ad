// Runs a program to its end with the given arguments and environment and
// returns its exit code (-1 when it could not start or did not exit normally).
#pragma once

#include <string>
#include <vector>

int RunProgram(const std::string& path, const std::vector<std::string>& args,
               const std::vector<std::string>& environment);
