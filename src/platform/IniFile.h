// Integer reads from an INI file, the way the developer configuration is read:
// sections and keys compared ignoring case, ';' and '#' lines are comments.
#pragma once

#include <string>

namespace platform {

// The integer of [section] key in the file. A missing file, section or key, or
// an empty value, gives the default; a value that does not start with a number
// gives 0. Decimal digits with an optional sign, or "0x" and hex digits; the
// number ends at the first other character.
int GetPrivateProfileInt(const std::string& section, const std::string& key, int defaultValue,
                         const std::string& path);

// The same over an INI text already in memory.
int ReadProfileInt(const std::string& iniText, const std::string& section, const std::string& key,
                   int defaultValue);

}  // namespace platform
