// What one uninstall run did: a report for every step it ran, in order.
#pragma once

#include "Source/run/StepReport.hpp"

#include <algorithm>
#include <vector>

namespace tavrel {

struct UninstallOutcome {
    std::vector<StepReport> steps;

    /// True when no step failed.
    [[nodiscard]] bool succeeded() const {
        return std::none_of(steps.begin(), steps.end(), [](const StepReport& report) {
            return report.status == StepStatus::failed;
        });
    }

    /// True when every step removed its item or found nothing there: nothing of the product is
    /// known to be left.
    [[nodiscard]] bool removedEverything() const {
        return std::none_of(steps.begin(), steps.end(),
                            [](const StepReport& report) { return report.leftSomething(); });
    }
};

} // namespace tavrel
