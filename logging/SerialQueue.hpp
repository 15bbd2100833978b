// A serial executor with one worker thread: FIFO, asynchronous and synchronous submission, and a
// way for running code to ask whether it runs on behalf of a given queue.
#pragma once

#include "logging/SpinLock.hpp"
#include "logging/Task.hpp"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace tavrel::logging {

class SerialQueue {
public:
    /// Starts the worker thread. The label names the queue in log records and in the thread name.
    explicit SerialQueue(std::string label);
    /// Runs every task already queued, then stops the worker. Must not run on this queue.
    ~SerialQueue();

    SerialQueue(const SerialQueue&) = delete;
    SerialQueue& operator=(const SerialQueue&) = delete;

    [[nodiscard]] const std::string& label() const noexcept { return label_; }

    /// Queues the task and returns at once. Tasks run one at a time in submission order.
    void async(Task task);

    /// Runs the work on behalf of this queue and returns when it has run, after every task
    /// queued before it. Runs inline when the caller already runs on this queue (no self-wait),
    /// and on the calling thread when the queue is idle, as a borrowed turn of the queue.
    /// An exception thrown by the work reaches the caller.
    template <class F>
    void sync(F&& work);

    /// Runs, on the calling thread and in order, the tasks queued so far that the worker has
    /// not taken yet, as a borrowed turn of the queue. False, running nothing, when there are
    /// none or the queue is busy. Must not be called on this queue.
    bool runPendingHere();

    /// True when the calling code runs on behalf of this queue, on its worker or in a sync turn,
    /// also from inside a sync turn of another queue entered from it.
    [[nodiscard]] bool isCurrent() const noexcept;

    /// The innermost queue the calling code runs on behalf of, or none.
    [[nodiscard]] static const SerialQueue* current() noexcept;

    class Scope;

private:
    struct Waiter;

    bool tryBorrow();
    void endBorrow();
    void syncQueued(Task task, Waiter& waiter);
    void workerLoop();
    void runBatch(std::vector<Task>& batch);

    void wakeWorker() noexcept;

    static constexpr std::size_t kCacheLine = 64;

    std::string label_;
    std::thread worker_;
    // Every critical section is a push or a swap; a blocking mutex would put a submitting
    // thread to sleep whenever the worker swaps.
    alignas(kCacheLine) SpinLock lock_;
    std::vector<Task> pending_;
    std::vector<Task> borrowed_; // tasks run by runPendingHere(); touched only while busy_
    bool busy_ = false;          // a batch or a borrowed turn is running
    bool sleeping_ = false;      // the worker sleeps on wakeups_ and needs a notify
    bool stopping_ = false;
    // What an idle worker spins on. It has a cache line of its own, written once per batch, so
    // that a push does not take the queue's line away from a spinning worker.
    alignas(kCacheLine) std::atomic<bool> hasPending_{false};
    alignas(kCacheLine) std::atomic<std::uint32_t> wakeups_{0};
};

// Marks the calling thread as running on behalf of a queue for the scope's lifetime.
class SerialQueue::Scope {
public:
    explicit Scope(const SerialQueue* queue) noexcept;
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

    static const Scope* innermost() noexcept;
    const SerialQueue* queue() const noexcept { return queue_; }
    const Scope* outer() const noexcept { return outer_; }

private:
    const SerialQueue* queue_;
    const Scope* outer_;
};

struct SerialQueue::Waiter {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    std::exception_ptr error;
};

template <class F>
void SerialQueue::sync(F&& work) {
    if (isCurrent()) {
        work();
        return;
    }
    if (tryBorrow()) {
        struct EndTurn {
            SerialQueue* queue;
            ~EndTurn() { queue->endBorrow(); }
        } endTurn{this};
        Scope scope(this);
        work();
        return;
    }
    Waiter waiter;
    syncQueued(Task([&work, &waiter] {
                   try {
                       work();
                   } catch (...) {
                       waiter.error = std::current_exception();
                   }
               }),
               waiter);
    if (waiter.error) {
        std::rethrow_exception(waiter.error);
    }
}

} // namespace tavrel::logging
