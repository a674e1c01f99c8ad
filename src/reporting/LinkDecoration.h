// The machine parameter on the web links the installer opens (licence,
// experience programme, thank-you page), so the maker's site can tell the
// machine apart without asking the user.
#pragma once

#include <string>

inline constexpr const char* kMachineParameterName = "client_m";

// Adds "client_m=" and the Base64 of the link address text to the link: as
// the first parameter of the query, after every "?", when the link has one
// ("a?v=1" gives "a?client_m=VALUE&v=1"); otherwise appended as the query.
// The value is left as Base64 gives it, without URL escaping, which is the
// form the web site reads.
std::string DecorateLink(const std::string& link, const std::string& linkAddressText);
