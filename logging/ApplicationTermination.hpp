// The application's will-terminate notification, as the window delivers it.
#pragma once

#include <functional>

namespace tavrel::logging {

class ApplicationTermination {
public:
    /// Called by the window when its application object exists, before logging starts.
    static void markApplicationExists() noexcept;
    /// Whether an application object exists (a window front end runs).
    [[nodiscard]] static bool applicationExists() noexcept;

    /// Adds an observer of the will-terminate notification.
    static void addWillTerminateObserver(std::function<void()> observer);
    /// Delivers the will-terminate notification to every observer, in the order they were added.
    /// Called by the window on its main thread when the application is about to terminate.
    static void postWillTerminate();
};

} // namespace tavrel::logging
