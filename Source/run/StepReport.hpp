// The outcome of one step of the uninstall run, for the summary.
#pragma once

#include "Source/run/StepStatus.hpp"

#include <ostream>
#include <string>

namespace tavrel {

struct StepReport {
    int step = 0;        // the step's fixed number in the run
    std::string subject; // what it was removing: a path, a login item, a service, ...
    StepStatus status = StepStatus::notFound;
    std::string errorDescription; // when it failed: the error's full technical description
    std::string failureReason;    // when it failed: a sentence a person can act on

    /// Whether the item the step is about is still there: it failed, or left something alone.
    [[nodiscard]] bool leftSomething() const noexcept {
        return status == StepStatus::failed || status == StepStatus::leftInPlace;
    }

    friend bool operator==(const StepReport&, const StepReport&) = default;
    /// "step 8 failed: <subject>: <technical description>", for failing tests and logs.
    friend std::ostream& operator<<(std::ostream& out, const StepReport& report) {
        out << "step " << report.step << ' ' << report.status << ": " << report.subject;
        return report.errorDescription.empty() ? out : out << ": " << report.errorDescription;
    }
};

} // namespace tavrel
