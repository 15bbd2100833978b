// The uninstall run: every step of the table in its order; a step's error becomes its report.
#include "Source/run/Uninstaller.hpp"

#include "Source/run/StepTable.hpp"

namespace tavrel {

namespace {

// Tells the observer that `step` starts; what it throws is its own affair.
void announce(const Uninstaller::StepStarted& started, const Step& step) noexcept {
    if (!started) {
        return;
    }
    try {
        started(step);
    } catch (...) { // NOLINT(bugprone-empty-catch): progress must never stop the run
    }
}

} // namespace

UninstallOutcome Uninstaller::uninstall(const StepStarted& started,
                                        const StopRequested& stop) const noexcept {
    UninstallOutcome outcome;
    try {
        outcome.steps.reserve(StepTable::steps().size() + 8);
        const auto scripts =
            platform::AppleScriptHost::make({.loginItemsFolder = roots_.loginItems});
        const StepContext context{roots_, *keychain_, *scripts};
        for (const Step& step : StepTable::steps()) {
            if (!step.in(scope_)) {
                continue;
            }
            if (stop && stop()) {
                outcome.stoppedBefore = step.number;
                break;
            }
            announce(started, step);
            StepRecorder recorder(step.number, outcome.steps);
            try {
                step.run(context, recorder);
            } catch (const std::exception& error) {
                recorder.add(step.title, StepStatus::failed, error.what(), error.what());
            }
        }
    } catch (...) {
        // Only running out of memory gets here; the steps reported so far stand.
        try {
            outcome.steps.push_back(StepReport{0, "uninstall run", StepStatus::failed,
                                               "out of memory", "out of memory"});
        } catch (...) { // NOLINT(bugprone-empty-catch): nothing more can be recorded
        }
    }
    return outcome;
}

} // namespace tavrel
