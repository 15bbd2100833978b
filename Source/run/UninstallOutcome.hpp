// What one uninstall run did: a report for every step it ran, in order, and where a stop
// request ended it.
#pragma once

#include "Source/run/StepReport.hpp"

#include <algorithm>
#include <vector>

namespace tavrel {

struct UninstallOutcome {
    std::vector<StepReport> steps;
    int stoppedBefore = 0; // the step a stop request ended the run before; 0: it ran to the end

    /// True when no step failed.
    [[nodiscard]] bool succeeded() const {
        return std::none_of(steps.begin(), steps.end(), [](const StepReport& report) {
            return report.status == StepStatus::failed;
        });
    }
};

} // namespace tavrel
