// What may be left after a run, from its reports and the inventory after it.
#include "Source/app/FlowResult.hpp"

#include "Source/run/StepTable.hpp"

#include <algorithm>
#include <map>

namespace tavrel {

namespace {

// The failed reports of one step, as remainders: grouped by cause where the step names groups.
void addFailures(const Step& step, const std::vector<const StepReport*>& failures,
                 std::vector<Remainder>& remainders) {
    std::map<std::string, std::size_t> byReason;
    for (const StepReport* report : failures) {
        ++byReason[report->failureReason];
    }
    std::vector<std::string> grouped;
    for (const StepReport* report : failures) {
        const std::size_t sharing = byReason[report->failureReason];
        if (!step.groupName || sharing < 2) {
            remainders.push_back(
                {step.number, Remainder::Kind::failed, report->subject, report->failureReason, {}});
        } else if (std::find(grouped.begin(), grouped.end(), report->failureReason) ==
                   grouped.end()) {
            grouped.push_back(report->failureReason);
            remainders.push_back({step.number,
                                  Remainder::Kind::failed,
                                  step.groupName(sharing),
                                  report->failureReason,
                                  {},
                                  sharing});
        }
    }
}

} // namespace

std::vector<Remainder> FlowResult::remainders() const {
    std::vector<Remainder> remainders;
    if (refusal) {
        return remainders;
    }
    for (const Step& step : StepTable::steps()) {
        std::vector<const StepReport*> failures;
        for (const StepReport& report : outcome.steps) {
            if (report.step != step.number) {
                continue;
            }
            if (report.status == StepStatus::failed) {
                failures.push_back(&report);
            } else if (report.status == StepStatus::leftInPlace) {
                remainders.push_back(
                    {step.number, Remainder::Kind::leftAlone, report.subject, {}, {}});
            }
        }
        addFailures(step, failures, remainders);
        // What a failed step left is named by its failure already.
        if (!failures.empty() || !remaining) {
            continue;
        }
        const StepInventory* seen = remaining->of(step.number);
        if (seen == nullptr) {
            continue; // not in the run's scope
        }
        for (const Trace& trace : seen->traces) {
            remainders.push_back({step.number, Remainder::Kind::foundAfter, trace.name, {}, trace});
        }
        if (seen->unavailable) {
            remainders.push_back(
                {step.number, Remainder::Kind::cannotLook, step.title, *seen->unavailable, {}});
        }
    }
    // A run that ran out of memory reports it as step 0.
    for (const StepReport& report : outcome.steps) {
        if (report.step == 0) {
            remainders.push_back(
                {0, Remainder::Kind::failed, report.subject, report.failureReason, {}});
        }
    }
    return remainders;
}

} // namespace tavrel
