// The server's stop request, raised once by the main thread. Every wait a
// response makes on purpose (a stall, the rate limit, a held reachability
// request) goes through it, so that stopping never waits for a fault to end.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace mirror {

class StopSignal {
public:
    void Raise();
    bool IsRaised() const;

    // Waits until the time point; false when the stop was raised first.
    bool WaitUntil(std::chrono::steady_clock::time_point deadline) const;
    bool WaitFor(std::chrono::steady_clock::duration duration) const;

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    bool raised_ = false;
};

}  // namespace mirror
