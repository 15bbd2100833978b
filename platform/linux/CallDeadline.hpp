// A time limit for blocking GLib calls: a GCancellable that a timer cancels once the limit has
// passed, so that every call made with it has returned by then.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <gio/gio.h>
#include <mutex>
#include <thread>

namespace tavrel::platform::linux_glib {

class CallDeadline {
public:
    /// Starts the timer; throws std::system_error when no thread can be started for it.
    explicit CallDeadline(std::chrono::milliseconds limit);
    /// Stops the timer without cancelling.
    ~CallDeadline();
    CallDeadline(const CallDeadline&) = delete;
    CallDeadline& operator=(const CallDeadline&) = delete;

    /// The cancellable to pass to every call that must end by the deadline.
    [[nodiscard]] GCancellable* cancellable() const noexcept { return cancellable_; }
    /// Whether the limit passed, so that the calls were cancelled.
    [[nodiscard]] bool expired() const noexcept { return expired_.load(); }

private:
    GCancellable* cancellable_;
    std::mutex mutex_;
    std::condition_variable stop_;
    bool stopping_ = false;
    std::atomic<bool> expired_{false};
    std::thread timer_;
};

} // namespace tavrel::platform::linux_glib
