// Will-terminate notification.
#include "logging/ApplicationTermination.hpp"

#include <atomic>
#include <mutex>
#include <vector>

namespace tavrel::logging {

namespace {

std::atomic<bool> gApplicationExists{false}; // NOLINT: process-wide by nature

struct Observers {
    std::mutex mutex;
    std::vector<std::function<void()>> list;
};

Observers& observers() {
    static auto* instance = new Observers(); // lives to the end of the process
    return *instance;
}

} // namespace

void ApplicationTermination::markApplicationExists() noexcept {
    gApplicationExists.store(true, std::memory_order_release);
}

bool ApplicationTermination::applicationExists() noexcept {
    return gApplicationExists.load(std::memory_order_acquire);
}

void ApplicationTermination::addWillTerminateObserver(std::function<void()> observer) {
    std::lock_guard lock(observers().mutex);
    observers().list.push_back(std::move(observer));
}

void ApplicationTermination::postWillTerminate() {
    std::vector<std::function<void()>> toCall;
    {
        std::lock_guard lock(observers().mutex);
        toCall = observers().list;
    }
    for (const auto& observer : toCall) {
        observer();
    }
}

} // namespace tavrel::logging
