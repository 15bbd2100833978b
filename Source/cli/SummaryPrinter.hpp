// The summary the command line prints after a run: one line per step, then the verdict.
#pragma once

#include "Source/app/FlowResult.hpp"

#include <iosfwd>
#include <string>

namespace tavrel::cli {

class SummaryPrinter {
public:
    /// Writes "Step  8  removed       <subject>" lines in step order, each failure followed by
    /// its reason in words, then what the inventory taken after the run still found, then one
    /// closing line: that Tavrel has been removed (only when that is verified), or what may
    /// still be there (see FlowResult::remainders).
    static void print(const FlowResult& result, std::ostream& out);

    /// A remainder in the closing line: 'login item "Tavrel" (step 4 failed)', "keychain items
    /// of 6 services (step 1: no keychain could be reached)", "… (found after step 5)".
    static std::string describe(const Remainder& remainder);
};

} // namespace tavrel::cli
