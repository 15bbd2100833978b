// The outcome of one step of the uninstall run, for the summary.
#pragma once

#include "Source/StepStatus.hpp"

#include <string>

namespace tavrel {

struct StepReport {
    int step = 0;        // the step's fixed number in the run
    std::string subject; // what it was removing: a path, a login item, a service, ...
    StepStatus status = StepStatus::notFound;
    std::string errorDescription; // the error's textual description when it failed, else empty

    friend bool operator==(const StepReport&, const StepReport&) = default;
};

} // namespace tavrel
