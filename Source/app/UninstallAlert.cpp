// Alerts of the uninstall flow.
#include "Source/app/UninstallAlert.hpp"

#include "Source/errors/Error.hpp"

namespace tavrel {

Alert UninstallAlert::forOutcome(const UninstallOutcome& outcome, const LocalizedStrings& strings) {
    if (outcome.removedEverything()) {
        return Alert{strings.uninstallSucceeded(),
                     std::nullopt,
                     {Error::kOKButton},
                     AlertStyle::informational,
                     std::nullopt};
    }
    std::string lines;
    for (const StepReport& report : outcome.steps) {
        if (!report.leftSomething()) {
            continue;
        }
        lines += lines.empty() ? "" : "\n";
        if (report.status == StepStatus::failed) {
            const std::string& reason =
                report.failureReason.empty() ? report.errorDescription : report.failureReason;
            lines += strings.stepFailed(report.subject, reason);
        } else {
            lines += strings.stepLeftAlone(report.subject);
        }
    }
    return Alert{strings.uninstallFailed(),
                 std::move(lines),
                 {Error::kOKButton},
                 AlertStyle::warning,
                 std::nullopt};
}

Alert UninstallAlert::forUnexpectedError(const LocalizedStrings& strings) {
    return Alert{strings.uninstallFailed(),
                 std::nullopt,
                 {Error::kOKButton},
                 AlertStyle::informational,
                 std::nullopt};
}

} // namespace tavrel
