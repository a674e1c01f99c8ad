// Base64 as RFC 4648 section 4 defines it: the standard alphabet ending in
// "+/", "=" padding, no line breaks.
#pragma once

#include <string>

std::string EncodeBase64(const std::string& bytes);
