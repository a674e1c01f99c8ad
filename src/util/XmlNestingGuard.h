// A depth check run before XML text reaches boost's reader. The reader
// descends the stack once per open element, so a served manifest of a few
// hundred thousand nested tags would crash the installer instead of failing
// to load.
#pragma once

#include <string_view>

// False when the text opens more than limit elements inside each other. Where
// the text is malformed the scan stops and answers true, leaving the verdict
// to the reader.
bool IsXmlNestingWithin(std::string_view xml, int limit);
