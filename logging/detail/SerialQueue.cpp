// Serial queue: one worker that takes everything queued at once and runs it before it sleeps
// again, and is woken only when the queue goes from empty to non-empty. A sync call on an idle
// queue runs on the calling thread instead: handing the work to the worker and waiting for it
// would put two threads to sleep and wake them again. For the same reason an idle worker spins
// briefly before it sleeps.
#include "logging/detail/SerialQueue.hpp"

#include "logging/detail/Spin.hpp"
#include "platform/SystemLog.hpp"
#include "platform/Thread.hpp"

namespace tavrel::logging {

namespace {

thread_local const SerialQueue::Scope* tInnermostScope = nullptr; // NOLINT: per-thread state

} // namespace

SerialQueue::Scope::Scope(const SerialQueue* queue, const Scope* outer) noexcept
    : queue_(queue), outer_(outer), restore_(tInnermostScope) {
    tInnermostScope = this;
}

SerialQueue::Scope::~Scope() {
    tInnermostScope = restore_;
}

const SerialQueue::Scope* SerialQueue::Scope::innermost() noexcept {
    return tInnermostScope;
}

SerialQueue::SerialQueue(std::string label) : label_(std::move(label)) {
    worker_ = std::thread([this] { workerLoop(); });
}

SerialQueue::~SerialQueue() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    worker_.join();
}

void SerialQueue::async(Task task) {
    bool wasEmpty = false;
    {
        const std::lock_guard lock(mutex_);
        wasEmpty = pending_.empty();
        pending_.push_back(std::move(task));
        if (wasEmpty) {
            hasPending_.store(true, std::memory_order_release);
        }
    }
    if (wasEmpty) {
        wake_.notify_one();
    }
}

bool SerialQueue::tryBorrow() {
    const std::lock_guard lock(mutex_);
    if (running_ || !pending_.empty()) {
        return false;
    }
    running_ = true;
    return true;
}

void SerialQueue::endBorrow() {
    bool notify = false;
    {
        const std::lock_guard lock(mutex_);
        running_ = false;
        notify = !pending_.empty(); // queued during the turn: the worker waits for its end
    }
    if (notify) {
        wake_.notify_one();
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

void SerialQueue::workerLoop() {
    platform::setCurrentThreadName(label_);
    const Scope scope(this, nullptr);
    std::vector<Task> batch;
    std::unique_lock lock(mutex_);
    for (;;) {
        if (pending_.empty() && !stopping_) {
            lock.unlock();
            spinWhile([this] { return !hasPending_.load(std::memory_order_acquire); });
            lock.lock();
        }
        wake_.wait(lock, [this] { return (!pending_.empty() || stopping_) && !running_; });
        if (pending_.empty()) {
            return; // stopping, and everything queued has run
        }
        batch.swap(pending_);
        hasPending_.store(false, std::memory_order_relaxed);
        running_ = true;
        lock.unlock();
        for (Task& task : batch) {
            try {
                task();
            } catch (const std::exception& error) {
                platform::systemLog("SerialQueue " + label_ + ": task failed: " + error.what());
            } catch (...) {
                platform::systemLog("SerialQueue " + label_ + ": task failed");
            }
        }
        batch.clear();
        lock.lock();
        running_ = false;
    }
}

} // namespace tavrel::logging
