// The summary the command line prints after a run: one line per step, then the verdict.
#pragma once

#include "Source/UninstallOutcome.hpp"

#include <iosfwd>

namespace tavrel::cli {

class SummaryPrinter {
public:
    /// Writes "Step  8  removed      <subject>" lines in step order, failures with their error,
    /// then one closing line saying whether everything was removed.
    static void print(const UninstallOutcome& outcome, std::ostream& out);
};

} // namespace tavrel::cli
