// Holds a request without ever answering it: the reachability page of a mirror
// that does not respond. The HTTP library hands no socket to its handlers, so
// the connection is found among the process's sockets by its two addresses;
// that lets the hold end as soon as the client hangs up, and lets it cut the
// connection at the end so that no reply is ever sent.
#pragma once

#include <httplib.h>

#include <chrono>

#include "StopSignal.h"

namespace mirror {

class SilentHold {
public:
    // Returns when the client has hung up, the server stops or `limit` has
    // passed. Returns true when the connection was shut down (the library's
    // reply then goes nowhere), false when its socket could not be found.
    static bool Hold(const httplib::Request& request, const StopSignal& stop,
                     std::chrono::steady_clock::duration limit);

private:
    static int FindConnection(const httplib::Request& request);
};

}  // namespace mirror
