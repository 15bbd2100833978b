// What one uninstall run did: a report for every step it ran, in order.
#pragma once

#include "Source/StepReport.hpp"

#include <vector>

namespace tavrel {

struct UninstallOutcome {
    std::vector<StepReport> steps;

    /// The reports of the steps that failed, in step order.
    [[nodiscard]] std::vector<StepReport> failures() const {
        std::vector<StepReport> failed;
        for (const StepReport& report : steps) {
            if (report.status == StepStatus::failed) {
                failed.push_back(report);
            }
        }
        return failed;
    }

    /// True when no step failed.
    [[nodiscard]] bool succeeded() const {
        for (const StepReport& report : steps) {
            if (report.status == StepStatus::failed) {
                return false;
            }
        }
        return true;
    }
};

} // namespace tavrel
