// The checks that keep an extraction inside its output folder. They work on
// the names stored in the archive, before anything is written, and are the
// installer's own line of defence in addition to the extraction library's.
#pragma once

#include <string>

// The entry name as a relative path inside the output folder: components
// joined by "/", with empty and "." components dropped. Empty when the name
// is absolute, contains a ".." component or has no component left; such an
// entry must be refused.
std::string SafeEntryPath(const std::string& name);

// Whether a symbolic link stored at entryPath (a SafeEntryPath) with that
// target stays inside the output folder. The target must be relative and may
// climb ("..") only at its start, no higher than the link's own folder, and
// then only descend. Because every accepted link obeys this, following any
// chain of accepted links never leads outside the folder.
bool IsLinkTargetInside(const std::string& entryPath, const std::string& target);

// Whether one of the folders leading to entryPath (a SafeEntryPath) below
// root exists as a symbolic link (or anything but a folder) on disk: writing
// the entry would then go through it.
bool CrossesLinkOnDisk(const std::string& root, const std::string& entryPath);
