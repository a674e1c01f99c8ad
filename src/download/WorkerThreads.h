// The engine's threads (loader, manifest copy, dispatcher, one per
// connection). Finished threads are joined as new ones start, so a long
// download with many repairs and splits does not pile up dead threads; the
// rest are joined when the engine goes.
#pragma once

#include <atomic>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

class WorkerThreads {
public:
    WorkerThreads() = default;
    ~WorkerThreads();
    WorkerThreads(const WorkerThreads&) = delete;
    WorkerThreads& operator=(const WorkerThreads&) = delete;

    // Starts body on a new thread; returns its number (1, 2, ... per process),
    // or 0 when no thread could be made.
    int Start(std::function<void()> body);
    // Joins the threads whose body has returned; they take no lock any more,
    // so this is safe while the caller holds the engine lock.
    void ReapFinished();
    // Joins every thread, also those started while it waits. Must not be
    // called with a lock the threads need.
    void JoinAll();

private:
    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };

    std::mutex mutex_;  // guards workers_
    std::list<Worker> workers_;
};
