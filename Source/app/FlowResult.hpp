// How one uninstall of the flow ended: refused, or the run's reports and the inventory taken
// after it, and from both what may be left.
#pragma once

#include "Source/app/Refusal.hpp"
#include "Source/app/Remainder.hpp"
#include "Source/run/Inventory.hpp"
#include "Source/run/UninstallOutcome.hpp"

#include <optional>
#include <vector>

namespace tavrel {

struct FlowResult {
    std::optional<Refusal> refusal;     // set when the run did not start
    UninstallOutcome outcome;           // the run's reports; none when refused
    std::optional<Inventory> remaining; // taken after the run; none when refused

    /// Whether the removal is verified: the run started, no step failed, and the inventory after
    /// it found nothing and could look everywhere (also when a stop request ended the run early).
    [[nodiscard]] bool removed() const {
        return !refusal && outcome.succeeded() && remaining && remaining->clean();
    }

    /// What may be left, in step order: each failure (failures of one step with one cause, where
    /// the step groups them, as one), each item left alone, and, for the steps that did not
    /// fail, what the inventory after the run still found or could not look at. Empty when
    /// refused.
    [[nodiscard]] std::vector<Remainder> remainders() const;
};

} // namespace tavrel
