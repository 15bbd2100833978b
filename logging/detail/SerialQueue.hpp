// A serial executor with one worker thread: FIFO, asynchronous and synchronous submission, and a
// way for running code to ask whether it runs on behalf of a given queue.
#pragma once

#include "logging/detail/Task.hpp"

#include <atomic>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <type_traits>
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
    /// and on the calling thread when the queue is idle, as a borrowed turn of the queue. The
    /// queues the caller runs on stay current for the work. An exception thrown by the work
    /// reaches the caller.
    template <class F>
    void sync(F&& work);

    /// True when the calling code runs on behalf of this queue, also from inside a sync turn of
    /// another queue entered from it.
    [[nodiscard]] bool isCurrent() const noexcept;

    /// The innermost queue the calling code runs on behalf of, or none.
    [[nodiscard]] static const SerialQueue* current() noexcept;

    class Scope;

private:
    bool tryBorrow();
    void endBorrow();
    void workerLoop();

    std::string label_;
    std::mutex mutex_;
    std::condition_variable wake_; // the worker waits on it for work
    std::vector<Task> pending_;
    std::atomic<bool> hasPending_{false}; // what an idle worker spins on, read without the lock
    bool running_ = false;                // the worker runs a batch, or a caller a borrowed turn
    bool stopping_ = false;
    std::thread worker_;
};

// Marks the calling thread as running on behalf of a queue for the scope's lifetime, inside the
// scopes it was entered from.
class SerialQueue::Scope {
public:
    Scope(const SerialQueue* queue, const Scope* outer) noexcept;
    explicit Scope(const SerialQueue* queue) noexcept : Scope(queue, innermost()) {}
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

    static const Scope* innermost() noexcept;
    const SerialQueue* queue() const noexcept { return queue_; }
    const Scope* outer() const noexcept { return outer_; }

private:
    const SerialQueue* queue_;
    const Scope* outer_;
    const Scope* restore_;
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
        const Scope scope(this);
        work();
        return;
    }
    std::mutex mutex;
    std::condition_variable doneChanged;
    bool done = false;
    std::exception_ptr error;
    async([&, caller = Scope::innermost()] {
        {
            const Scope scope(this, caller);
            try {
                work();
            } catch (...) {
                error = std::current_exception();
            }
        }
        const std::lock_guard lock(mutex);
        done = true;
        // Notified under the lock: the caller's frame may end as soon as it sees done.
        doneChanged.notify_one();
    });
    std::unique_lock lock(mutex);
    doneChanged.wait(lock, [&] { return done; });
    if (error) {
        std::rethrow_exception(error);
    }
}

} // namespace tavrel::logging
