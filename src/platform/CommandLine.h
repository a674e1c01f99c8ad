// Splitting a command-line text into arguments, for the programs the
// installer starts with a parameter text and for the desktop entries it
// writes.
#pragma once

#include <string>
#include <vector>

namespace platform {

// Blanks and tabs separate arguments outside double quotes; double quotes
// group and are removed. Backslashes are literal except before a double
// quote: 2n backslashes and a quote give n backslashes and a grouping quote,
// 2n+1 backslashes and a quote give n backslashes and a literal quote. An
// empty pair of quotes is an empty argument.
std::vector<std::string> SplitCommandLine(const std::string& text);

}  // namespace platform
