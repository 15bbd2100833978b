// Serial queue: one worker that drains everything queued before it sleeps, and that spins
// briefly before sleeping, since a per-record handoff to a sleeping thread costs far more than
// the I/O the logging queues do.
#include "logging/SerialQueue.hpp"

#include "logging/Spin.hpp"
#include "platform/SystemLog.hpp"

#include <chrono>
#include <exception>
#include <pthread.h>
#include <thread>

namespace tavrel::logging {

namespace {

thread_local const SerialQueue::Scope* tInnermostScope = nullptr; // NOLINT: per-thread state

} // namespace

SerialQueue::Scope::Scope(const SerialQueue* queue) noexcept
    : queue_(queue), outer_(tInnermostScope) {
    tInnermostScope = this;
}

SerialQueue::Scope::~Scope() {
    tInnermostScope = outer_;
}

const SerialQueue::Scope* SerialQueue::Scope::innermost() noexcept {
    return tInnermostScope;
}

SerialQueue::SerialQueue(std::string label) : label_(std::move(label)) {
    worker_ = std::thread([this] { workerLoop(); });
}

SerialQueue::~SerialQueue() {
    lock_.lock();
    stopping_ = true;
    lock_.unlock();
    wakeWorker();
    worker_.join();
}

void SerialQueue::wakeWorker() noexcept {
    wakeups_.fetch_add(1, std::memory_order_release);
    wakeups_.notify_one();
}

void SerialQueue::async(Task task) {
    lock_.lock();
    try {
        pending_.push_back(std::move(task));
    } catch (...) {
        lock_.unlock();
        throw;
    }
    if (!hasPending_.load(std::memory_order_relaxed)) {
        hasPending_.store(true, std::memory_order_release);
    }
    const bool notify = sleeping_ && !busy_;
    lock_.unlock();
    if (notify) {
        wakeWorker();
    }
}

bool SerialQueue::isCurrent() const noexcept {
    for (const Scope* scope = Scope::innermost(); scope != nullptr; scope = scope->outer()) {
        if (scope->queue() == this) {
            return true;
        }
    }
    return false;
}

const SerialQueue* SerialQueue::current() noexcept {
    const Scope* scope = Scope::innermost();
    return scope != nullptr ? scope->queue() : nullptr;
}

bool SerialQueue::tryBorrow() {
    std::lock_guard lock(lock_);
    if (busy_ || !pending_.empty()) {
        return false;
    }
    busy_ = true;
    return true;
}

void SerialQueue::endBorrow() {
    lock_.lock();
    busy_ = false;
    const bool notify = sleeping_ && !pending_.empty();
    lock_.unlock();
    if (notify) {
        wakeWorker();
    }
}

bool SerialQueue::runPendingHere() {
    lock_.lock();
    if (busy_ || pending_.empty()) {
        lock_.unlock();
        return false;
    }
    busy_ = true;
    borrowed_.swap(pending_);
    hasPending_.store(false, std::memory_order_relaxed);
    lock_.unlock();
    runBatch(borrowed_);
    endBorrow();
    return true;
}

void SerialQueue::syncQueued(Task task, Waiter& waiter) {
    async([&waiter, task = std::move(task)]() mutable {
        task();
        std::lock_guard lock(waiter.mutex);
        waiter.finished = true;
        // Notify under the lock: the waiter's frame may end as soon as it sees finished.
        waiter.done.notify_one();
    });
    std::unique_lock lock(waiter.mutex);
    waiter.done.wait(lock, [&waiter] { return waiter.finished; });
}

void SerialQueue::workerLoop() {
    // Thread names are limited to 15 bytes; the tail of a label is the telling part.
    const std::string name = label_.size() > 15 ? label_.substr(label_.size() - 15) : label_;
    pthread_setname_np(pthread_self(), name.c_str());

    std::vector<Task> batch;
    for (;;) {
        lock_.lock();
        if (!pending_.empty() && !busy_) {
            busy_ = true;
            batch.swap(pending_);
            hasPending_.store(false, std::memory_order_relaxed);
            lock_.unlock();
            runBatch(batch);
            lock_.lock();
            busy_ = false;
            lock_.unlock();
            continue;
        }
        if (stopping_ && pending_.empty() && !busy_) {
            lock_.unlock();
            return;
        }
        const bool idle = pending_.empty();
        lock_.unlock();

        if (idle) {
            spinWhile([this] { return !hasPending_.load(std::memory_order_acquire); });
        }

        // Sleep until a submission or the end of a borrowed turn says there is work.
        lock_.lock();
        const bool nothingToDo = (pending_.empty() || busy_) && !stopping_;
        sleeping_ = nothingToDo;
        const std::uint32_t seen = wakeups_.load(std::memory_order_acquire);
        lock_.unlock();
        if (nothingToDo) {
            wakeups_.wait(seen, std::memory_order_acquire);
            lock_.lock();
            sleeping_ = false;
            lock_.unlock();
        }
    }
}

void SerialQueue::runBatch(std::vector<Task>& batch) {
    Scope scope(this);
    // A long batch was queued long ago and has left the caches: warm the tasks a few places
    // ahead, first their records, then what the records point to.
    constexpr std::size_t kPrefetchAhead = 16;
    constexpr std::size_t kLoadAhead = 8;
    const std::size_t count = batch.size();
    for (std::size_t index = 0; index < count; ++index) {
        if (index + kPrefetchAhead < count) {
            batch[index + kPrefetchAhead].warmUp(0);
        }
        if (index + kLoadAhead < count) {
            batch[index + kLoadAhead].warmUp(1);
        }
        Task& task = batch[index];
        try {
            task();
        } catch (const std::exception& error) {
            platform::systemLog(std::string("SerialQueue ") + label_ +
                                ": task failed: " + error.what());
        } catch (...) {
            platform::systemLog(std::string("SerialQueue ") + label_ + ": task failed");
        }
    }
    batch.clear();
}

} // namespace tavrel::logging
