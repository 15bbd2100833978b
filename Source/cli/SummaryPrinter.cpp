// Summary of an uninstall run for the terminal.
#include "Source/cli/SummaryPrinter.hpp"

#include "Source/cli/InventoryPrinter.hpp"

#include <algorithm>
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

// Whether a step numbered `step` failed in the run.
bool failed(const UninstallOutcome& outcome, int step) {
    return std::any_of(outcome.steps.begin(), outcome.steps.end(), [&](const StepReport& report) {
        return report.step == step && report.status == StepStatus::failed;
    });
}

} // namespace

void SummaryPrinter::print(const UninstallOutcome& outcome, const Inventory& remaining,
                           std::ostream& out) {
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
    if (!remaining.clean()) {
        out << "Still there after the run:\n";
        InventoryPrinter::printSteps(remaining, out);
    }
    if (outcome.removedEverything() && remaining.clean()) {
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
    // What a failed step left is named above already.
    for (const StepInventory& step : remaining.steps) {
        if (failed(outcome, step.step)) {
            continue;
        }
        for (const Trace& trace : step.traces) {
            out << separator << InventoryPrinter::describe(trace) << " (found after step "
                << step.step << ")";
            separator = "; ";
        }
        if (step.unavailable) {
            out << separator << "what step " << step.step << " removes (cannot be looked at)";
            separator = "; ";
        }
    }
    out << ".\n";
}

} // namespace tavrel::cli
