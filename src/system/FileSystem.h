// Path and folder helpers shared by the installer.
#pragma once

#include <string>

// Limit of the folder chain creator, kept from the product's original path rules.
inline constexpr std::size_t kMaxFolderChainLength = 260;

// base + "/" + name with exactly one separator between them. An empty base
// gives the name; an empty name gives the base.
std::string JoinPath(const std::string& base, const std::string& name);

// Creates every missing folder of the path, level by level; existing ones are
// left alone. Does nothing and returns false for a path longer than
// kMaxFolderChainLength bytes; otherwise returns true (a level that cannot be
// created shows when the caller uses the folder).
bool CreateFolderChain(const std::string& path);
