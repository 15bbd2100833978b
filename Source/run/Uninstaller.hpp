// The uninstall run: removes the whole product for the current user in one fixed order.
#pragma once

#include "Source/run/Roots.hpp"
#include "Source/run/Step.hpp"
#include "Source/run/UninstallOutcome.hpp"
#include "platform/KeychainStore.hpp"

#include <functional>

namespace tavrel {

class Uninstaller {
public:
    /// Told about each step as it starts, on the run's thread.
    using StepStarted = std::function<void(const Step& step)>;
    /// Asked before each step whether the run is to stop there.
    using StopRequested = std::function<bool()>;

    /// A run of the steps of `scope` that looks for the product in `roots` and removes its
    /// keychain items from `keychain`, which must outlive the run.
    explicit Uninstaller(Roots roots,
                         platform::KeychainStore& keychain = platform::KeychainStore::system(),
                         StepScope scope = StepScope::every)
        : roots_(std::move(roots)), keychain_(&keychain), scope_(scope) {}

    /// Runs every step of StepTable in its scope, in order on the calling thread, whatever became
    /// of the steps before, telling `started` (when set; whatever it throws ends its call only) as
    /// each starts, and returns what each did. A missing item is never a failure. When `stop` (if
    /// set) answers true before a step, the run ends there. Never throws.
    [[nodiscard]] UninstallOutcome uninstall(const StepStarted& started = {},
                                             const StopRequested& stop = {}) const noexcept;

private:
    Roots roots_;
    platform::KeychainStore* keychain_;
    StepScope scope_;
};

} // namespace tavrel
