#include "StopSignal.h"

namespace mirror {

void StopSignal::Raise() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        raised_ = true;
    }
    changed_.notify_all();
}

bool StopSignal::IsRaised() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return raised_;
}

bool StopSignal::WaitUntil(std::chrono::steady_clock::time_point deadline) const {
    std::unique_lock<std::mutex> lock(mutex_);
    return !changed_.wait_until(lock, deadline, [this] { return raised_; });
}

bool StopSignal::WaitFor(std::chrono::steady_clock::duration duration) const {
    return WaitUntil(std::chrono::steady_clock::now() + duration);
}

}  // namespace mirror
