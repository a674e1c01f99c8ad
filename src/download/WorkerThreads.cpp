#include "download/WorkerThreads.h"

#include <system_error>

namespace {

std::atomic<int> gThreadNumber{0};

}  // namespace

WorkerThreads::~WorkerThreads() {
    JoinAll();
}

int WorkerThreads::Start(std::function<void()> body) {
    auto done = std::make_shared<std::atomic<bool>>(false);
    std::thread thread;
    try {
        thread = std::thread([body = std::move(body), done] {
            body();
            done->store(true);
        });
    } catch (const std::system_error&) {
        return 0;
    }
    std::lock_guard lock(mutex_);
    workers_.push_back(Worker{std::move(thread), std::move(done)});
    return ++gThreadNumber;
}

void WorkerThreads::ReapFinished() {
    std::list<Worker> finished;
    {
        std::lock_guard lock(mutex_);
        for (auto it = workers_.begin(); it != workers_.end();) {
            auto next = std::next(it);
            if (it->done->load() && it->thread.get_id() != std::this_thread::get_id()) {
                finished.splice(finished.end(), workers_, it);
            }
            it = next;
        }
    }
    for (Worker& worker : finished) {
        worker.thread.join();
    }
}

void WorkerThreads::JoinAll() {
    for (;;) {
        std::list<Worker> all;
        {
            std::lock_guard lock(mutex_);
            all.swap(workers_);
        }
        if (all.empty()) {
            return;
        }
        for (Worker& worker : all) {
            if (worker.thread.get_id() == std::this_thread::get_id()) {
                worker.thread.detach();  // an engine thread cannot wait for itself
            } else {
                worker.thread.join();
            }
        }
    }
}
