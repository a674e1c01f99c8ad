// Texts compiled into the installer (the version label, the download manifest).
#pragma once

#include <string>

// The bytes of the resource of that number and type as text; false when the
// build has no such resource or it is empty.
bool LoadResourceText(int id, const std::string& type, std::string& text);
