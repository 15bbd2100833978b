// What one step of the run would act on now.
#pragma once

#include "Source/run/Trace.hpp"

#include <optional>
#include <string>
#include <vector>

namespace tavrel {

struct StepInventory {
    int step = 0;
    std::vector<Trace> traces;
    /// Why some of what the step would act on cannot be seen now (a keychain that cannot be
    /// reached, a folder that may not be read); none when everything could be looked at.
    std::optional<std::string> unavailable;

    /// Whether nothing is there and everything could be looked at.
    [[nodiscard]] bool clean() const noexcept { return traces.empty() && !unavailable; }

    friend bool operator==(const StepInventory&, const StepInventory&) = default;
};

} // namespace tavrel
