// The statistics service's answer to a report on the JSON endpoint.
#pragma once

#include <string>

// True only when the reply is a JSON object whose member "result" is an
// object whose member "res" is the boolean true (other members allowed).
// Anything else, including text that is not JSON, counts as not accepted.
bool IsReportAccepted(const std::string& reply);
