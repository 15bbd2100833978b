// Summary of an uninstall run for the terminal.
#include "Source/cli/SummaryPrinter.hpp"

#include <iomanip>
#include <ostream>

namespace tavrel::cli {

namespace {

const char* label(StepStatus status) {
    switch (status) {
    case StepStatus::removed:
        return "removed";
    case StepStatus::notFound:
        return "not found";
    case StepStatus::leftInPlace:
        return "left alone";
    case StepStatus::switchedOff:
        return "switched off";
    case StepStatus::failed:
        return "FAILED";
    }
    return "?";
}

} // namespace

void SummaryPrinter::print(const UninstallOutcome& outcome, std::ostream& out) {
    for (const StepReport& report : outcome.steps) {
        out << "Step " << std::setw(2) << report.step << "  " << std::left << std::setw(12)
            << label(report.status) << std::right << "  " << report.subject;
        if (report.status == StepStatus::leftInPlace) {
            out << " (not a folder)";
        }
        if (report.status == StepStatus::failed) {
            out << "\n         " << report.errorDescription;
        }
        out << '\n';
    }
    const auto failures = outcome.failures();
    if (failures.empty()) {
        out << "Tavrel has been removed from this account.\n";
    } else {
        out << "Tavrel was not completely removed: " << failures.size()
            << (failures.size() == 1 ? " step" : " steps") << " failed.\n";
    }
}

} // namespace tavrel::cli
