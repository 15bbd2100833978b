// The deadline's timer thread.
#include "platform/linux/CallDeadline.hpp"

namespace tavrel::platform::linux_glib {

CallDeadline::CallDeadline(std::chrono::milliseconds limit) : cancellable_(g_cancellable_new()) {
    try {
        timer_ = std::thread([this, limit] {
            std::unique_lock lock(mutex_);
            if (!stop_.wait_for(lock, limit, [this] { return stopping_; })) {
                expired_.store(true);
                g_cancellable_cancel(cancellable_);
            }
        });
    } catch (...) {
        g_object_unref(cancellable_);
        throw;
    }
}

CallDeadline::~CallDeadline() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    stop_.notify_one();
    timer_.join();
    g_object_unref(cancellable_);
}

} // namespace tavrel::platform::linux_glib
