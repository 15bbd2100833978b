// Summary of an uninstall run for the terminal.
#include "Source/cli/SummaryPrinter.hpp"

#include "Source/cli/InventoryPrinter.hpp"
#include "Source/run/StepTable.hpp"

#include <cctype>
#include <iomanip>
#include <ostream>

namespace tavrel::cli {

namespace {

// The cause a reason starts with: "No keychain could be reached: run again …" gives "no keychain
// could be reached".
std::string causeOf(const std::string& reason) {
    std::string cause = reason.substr(0, reason.find(": "));
    if (!cause.empty() && cause.back() == '.') {
        cause.pop_back();
    }
    if (cause.size() > 1 && std::islower(static_cast<unsigned char>(cause[1])) != 0) {
        cause[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(cause[0])));
    }
    return cause;
}

} // namespace

std::string SummaryPrinter::describe(const Remainder& remainder) {
    const std::string step = std::to_string(remainder.step);
    switch (remainder.kind) {
    case Remainder::Kind::failed:
        // A group stands for several reports: its one cause is said once.
        if (remainder.grouped > 1) {
            return remainder.subject + " (step " + step + ": " + causeOf(remainder.reason) + ")";
        }
        return remainder.subject + " (step " + step + " failed)";
    case Remainder::Kind::leftAlone:
        return remainder.subject + " (not a folder, left alone)";
    case Remainder::Kind::foundAfter:
        return InventoryPrinter::describe(*remainder.trace) + " (found after step " + step + ")";
    case Remainder::Kind::cannotLook:
        return "what step " + step + " removes (cannot be looked at)";
    }
    return remainder.subject;
}

void SummaryPrinter::print(const FlowResult& result, std::ostream& out) {
    for (const StepReport& report : result.outcome.steps) {
        out << "Step " << std::setw(2) << report.step << "  " << std::left << std::setw(12)
            << namesOf(report.status).label << std::right << "  " << report.subject;
        if (report.status == StepStatus::leftInPlace) {
            out << " (not a folder)";
        }
        if (report.status == StepStatus::failed) {
            out << "\n         " << report.failureReason;
        }
        out << '\n';
    }
    if (const int stopped = result.outcome.stoppedBefore; stopped > 0) {
        out << "Stopped at your request: steps " << stopped << " to " << StepTable::count()
            << " were not run.\n";
    }
    if (result.remaining && !result.remaining->clean()) {
        out << "Still there after the run:\n";
        InventoryPrinter::printSteps(*result.remaining, out);
    }
    if (result.removed()) {
        out << "Tavrel has been removed from this account.\n";
        return;
    }
    out << "Tavrel was not completely removed. Still there:";
    const char* separator = " ";
    for (const Remainder& remainder : result.remainders()) {
        out << separator << describe(remainder);
        separator = "; ";
    }
    out << ".\n";
}

} // namespace tavrel::cli
