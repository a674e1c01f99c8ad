// Small text helpers.
#pragma once

#include <cstdint>
#include <string>

// Replaces every occurrence of search, scanning on after each inserted
// replacement (so a replacement that contains the search text is not expanded
// again). An empty search text changes nothing.
std::string ReplaceAll(std::string text, const std::string& search, const std::string& replacement);

// A byte count for people: up to 1024 "%dByte", up to 1 MiB "%.2fKB", above "%.2fMB".
std::string FormatSize(std::uint64_t bytes);
