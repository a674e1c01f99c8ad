// Path, folder and disk helpers shared by the installer.
#pragma once

#include <cstdint>
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

// Deletes the folder with everything in it. Symbolic links inside the tree
// are removed as links; their targets are never touched (the folder named by
// the caller is itself opened as given). An entry that cannot be deleted is
// left, and so are the folders above it; the walk goes on. False only when
// the folder cannot be listed.
bool DeleteTree(const std::string& folder);

// The free space of the whole volume that holds the folder (not the caller's
// share of it) in whole MiB; 0 when it cannot be determined.
std::uint64_t GetFreeSpaceMB(const std::string& folder);
