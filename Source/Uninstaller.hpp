// The uninstall run: removes the whole product for the current user in one fixed order.
#pragma once

#include "Source/Roots.hpp"
#include "Source/UninstallOutcome.hpp"

namespace tavrel {

class Uninstaller {
public:
    /// A run that looks for the product in `roots`.
    explicit Uninstaller(Roots roots) : roots_(std::move(roots)) {}

    /// Runs every step in its fixed order on the calling thread, whatever became of the steps
    /// before, and returns what each did. A missing item is never a failure. Never throws.
    [[nodiscard]] UninstallOutcome uninstall() const noexcept;

private:
    Roots roots_;
};

} // namespace tavrel
