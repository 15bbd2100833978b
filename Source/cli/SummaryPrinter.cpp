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
    case StepStatus::alreadySwitchedOff:
        return "already off";
    case StepStatus::cleared:
        return "cleared";
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
            out << "\n         " << report.failureReason;
        }
        out << '\n';
    }
    if (outcome.removedEverything()) {
        out << "Tavrel has been removed from this account.\n";
        return;
    }
    out << "Tavrel was not completely removed. Still there:";
    const char* separator = " ";
    for (const StepReport& report : outcome.steps) {
        if (report.leftSomething()) {
            out << separator << report.subject;
            if (report.status == StepStatus::leftInPlace) {
                out << " (not a folder, left alone)";
            } else {
                out << " (step " << report.step << " failed)";
            }
            separator = "; ";
        }
    }
    out << ".\n";
}

} // namespace tavrel::cli
