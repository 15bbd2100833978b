// The uninstall run's steps in their fixed order, each defined once; the run, the inventory,
// progress, the summary, the report and the window all read them from here.
#pragma once

#include "Source/run/Step.hpp"

#include <span>

namespace tavrel {

class StepTable {
public:
    /// Every step, in run order; step n is at index n - 1.
    static std::span<const Step> steps();

    /// Step `number` (1 to count()).
    static const Step& step(int number);

    /// How many steps a run has.
    static int count() { return static_cast<int>(steps().size()); }
};

} // namespace tavrel
