// The summary the command line prints after a run: one line per step, then the verdict.
#pragma once

#include "Source/UninstallOutcome.hpp"

#include <iosfwd>

namespace tavrel::cli {

class SummaryPrinter {
public:
    /// Writes "Step  8  removed       <subject>" lines in step order, each failure followed by
    /// its reason in words, then one closing line: that Tavrel has been removed, or what stays.
    static void print(const UninstallOutcome& outcome, std::ostream& out);
};

} // namespace tavrel::cli
