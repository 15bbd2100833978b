// The summary the command line prints after a run: one line per step, then the verdict.
#pragma once

#include "Source/run/Inventory.hpp"
#include "Source/run/UninstallOutcome.hpp"

#include <iosfwd>

namespace tavrel::cli {

class SummaryPrinter {
public:
    /// Writes "Step  8  removed       <subject>" lines in step order, each failure followed by
    /// its reason in words, then what the inventory taken after the run still found, then one
    /// closing line: that Tavrel has been removed, or what stays: what a step failed on or left
    /// alone, and what was found after a step that did not fail.
    static void print(const UninstallOutcome& outcome, const Inventory& remaining,
                      std::ostream& out);
};

} // namespace tavrel::cli
