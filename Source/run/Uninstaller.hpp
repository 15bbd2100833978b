// The uninstall run: removes the whole product for the current user in one fixed order.
#pragma once

#include "Source/run/Roots.hpp"
#include "Source/run/UninstallOutcome.hpp"

#include <functional>
#include <string>

namespace tavrel {

class Uninstaller {
public:
    /// How many steps a run has; they are numbered from 1.
    static constexpr int kStepCount = 20;

    /// Told the number of each step as it starts, on the run's thread.
    using StepStarted = std::function<void(int step)>;

    /// A run that looks for the product in `roots`.
    explicit Uninstaller(Roots roots) : roots_(std::move(roots)) {}

    /// Runs every step in its fixed order on the calling thread, whatever became of the steps
    /// before, and returns what each did. A missing item is never a failure. Never throws.
    [[nodiscard]] UninstallOutcome uninstall() const noexcept { return uninstall({}); }

    /// The same, telling `started` (when set) as each step starts. Whatever it throws ends its
    /// call only.
    [[nodiscard]] UninstallOutcome uninstall(const StepStarted& started) const noexcept;

    /// What step `step` (1 to kStepCount) does, in a few words for a person: "Kill brolt".
    static std::string stepTitle(int step);

private:
    Roots roots_;
};

} // namespace tavrel
