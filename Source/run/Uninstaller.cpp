// The uninstall run: every step in its fixed order; a step's error becomes its report.
#include "Source/run/Uninstaller.hpp"

#include "Source/errors/Error.hpp"
#include "Source/jobs/AppBundleJob.hpp"
#include "Source/jobs/KillProcessJob.hpp"
#include "Source/jobs/LoginItemJob.hpp"
#include "Source/jobs/RemoveAppBundleError.hpp"
#include "Source/jobs/UserDefaultsJob.hpp"
#include "Source/run/KeychainStep.hpp"
#include "Source/product/ProductIdentifiers.hpp"
#include "logging/Log.hpp"
#include "platform/AppleScriptHost.hpp"
#include "platform/LoginItemSwitch.hpp"
#include "platform/TrashFolders.hpp"

#include <exception>
#include <functional>
#include <string>

namespace tavrel {

namespace {

using jobs::AppBundleJob;
using jobs::RemoveResult;
using logging::logError;

StepStatus statusOf(RemoveResult result) {
    switch (result) {
    case RemoveResult::removed:
        return StepStatus::removed;
    case RemoveResult::missing:
        return StepStatus::notFound;
    case RemoveResult::notFolder:
        return StepStatus::leftInPlace;
    }
    return StepStatus::failed;
}

// The sentence a person reads: what could not be done and why, and where, when the failing
// item lies inside the one the step is about.
std::string sentenceFor(const platform::FileError& error, const std::string& subject) {
    std::string sentence = error.localizedDescription();
    if (error.path() != subject) {
        sentence += " (" + error.path() + ")";
    }
    return sentence;
}

StepReport failedStep(int step, std::string subject, const platform::FileError& error) {
    std::string reason = sentenceFor(error, subject);
    return StepReport{step, std::move(subject), StepStatus::failed, error.description(),
                      std::move(reason)};
}

void recordFailure(StepReport& report, const Error& error) {
    report.status = StepStatus::failed;
    report.errorDescription = error.description();
    report.failureReason = error.alert().messageText;
}

// Runs one step: `job` sets the report's status; an error it throws becomes the step's failure
// and the run goes on.
void runStep(UninstallOutcome& outcome, int step, std::string subject,
             const std::function<void(StepReport&)>& job) {
    StepReport report{step, std::move(subject), StepStatus::failed, {}, {}};
    try {
        job(report);
    } catch (const jobs::RemoveAppBundleError& error) {
        report.errorDescription = error.description();
        report.failureReason = sentenceFor(error.error(), report.subject);
    } catch (const Error& error) {
        recordFailure(report, error);
    } catch (const std::exception& error) {
        report.errorDescription = error.what();
        report.failureReason = error.what();
    } catch (...) {
        report.errorDescription = report.failureReason = "unknown error";
    }
    outcome.steps.push_back(std::move(report));
}

// Runs one removal job step.
void runJob(UninstallOutcome& outcome, int step, std::string subject,
            const std::function<RemoveResult()>& job) {
    runStep(outcome, step, std::move(subject),
            [&](StepReport& report) { report.status = statusOf(job()); });
}

// The status of a script step that did not throw; `done` is what its success means.
void recordScriptResult(StepReport& report, jobs::ScriptJobResult result, StepStatus done,
                        const std::string& script) {
    switch (result) {
    case jobs::ScriptJobResult::done:
        report.status = done;
        return;
    case jobs::ScriptJobResult::nothingToDo:
        report.status = StepStatus::notFound;
        return;
    case jobs::ScriptJobResult::scriptMissing:
        // Nothing was done, so nothing is known to be gone.
        report.status = StepStatus::failed;
        report.errorDescription = "script file not found: " + script;
        report.failureReason = "The uninstaller's script " + script +
                               " is missing; reinstall the uninstaller and run it again.";
        return;
    }
}

// Tells the observer that `step` starts; what it throws is its own affair.
void announce(const Uninstaller::StepStarted& started, int step) noexcept {
    if (!started) {
        return;
    }
    try {
        started(step);
    } catch (...) { // NOLINT(bugprone-empty-catch): progress must never stop the run
    }
}

void removeLoginItems(UninstallOutcome& outcome, const platform::AppleScriptHost& host,
                      const Uninstaller::StepStarted& started) {
    int step = 3;
    for (const char* name : product::kLoginItemNames) {
        announce(started, step);
        runStep(outcome, step++, "login item \"" + std::string(name) + "\"",
                [&](StepReport& report) {
                    const jobs::LoginItemResult result = jobs::LoginItemJob::disable(name, host);
                    switch (result.outcome) {
                    case jobs::LoginItemResult::Outcome::removed:
                        report.status = StepStatus::removed;
                        break;
                    case jobs::LoginItemResult::Outcome::notFound:
                        report.status = StepStatus::notFound;
                        break;
                    case jobs::LoginItemResult::Outcome::deletionFailed:
                        recordFailure(report, *result.error);
                        break;
                    }
                });
    }
}

void stopHelperProcesses(UninstallOutcome& outcome, const platform::AppleScriptHost& host,
                         const Uninstaller::StepStarted& started) {
    int step = 5;
    for (const jobs::HelperProcess helper : jobs::kHelperProcesses) {
        announce(started, step);
        runStep(outcome, step++, "helper process " + jobs::processName(helper),
                [&](StepReport& report) {
                    recordScriptResult(report, jobs::KillProcessJob::kill(helper, host),
                                       StepStatus::removed, jobs::scriptFileName(helper));
                });
    }
}

void switchOffLauncher(UninstallOutcome& outcome, const Roots& roots) {
    const auto result =
        platform::LoginItemSwitch::setEnabled(roots.loginItems, product::kLauncherID, false);
    if (!result.ok()) {
        outcome.steps.push_back(failedStep(2, product::kLauncherID, result.error()));
        return;
    }
    StepStatus status = StepStatus::notFound;
    switch (*result) {
    case platform::LoginItemSwitch::Outcome::notFound:
        status = StepStatus::notFound;
        break;
    case platform::LoginItemSwitch::Outcome::switched:
        status = StepStatus::switchedOff;
        break;
    case platform::LoginItemSwitch::Outcome::alreadySwitched:
        status = StepStatus::alreadySwitchedOff;
        break;
    }
    outcome.steps.push_back(StepReport{2, product::kLauncherID, status, {}, {}});
}

void sweepTrash(UninstallOutcome& outcome, const Roots& roots) {
    if (roots.trashFolders.empty()) {
        outcome.steps.push_back(StepReport{
            19, std::string(product::kTrashName) + " in the Trash", StepStatus::notFound, {}, {}});
        return;
    }
    for (const std::string& folder : roots.trashFolders) {
        std::string subject = platform::TrashFolders::itemPath(folder, product::kTrashName);
        const auto removal = platform::TrashFolders::removeItem(folder, product::kTrashName);
        if (!removal.ok()) {
            outcome.steps.push_back(failedStep(19, std::move(subject), removal.error()));
            continue;
        }
        if (removal->recordError) {
            // The item is gone; only the Trash's note about it stays behind.
            logError("uninstall()", [&] { return removal->recordError->description(); });
        }
        outcome.steps.push_back(
            StepReport{19,
                       std::move(subject),
                       removal->removed ? StepStatus::removed : StepStatus::notFound,
                       {},
                       {}});
    }
}

} // namespace

UninstallOutcome Uninstaller::uninstall(const StepStarted& started) const noexcept {
    UninstallOutcome outcome;
    try {
        const std::string& home = roots_.home;
        outcome.steps.reserve(25);
        announce(started, 1);
        removeKeychainItems(outcome);
        const auto host = platform::AppleScriptHost::make({.loginItemsFolder = roots_.loginItems});
        announce(started, 2);
        switchOffLauncher(outcome, roots_);
        removeLoginItems(outcome, *host, started);
        stopHelperProcesses(outcome, *host, started);
        int step = 8;
        // Runs one removal job step, announced.
        const auto job = [&](std::string subject, const std::function<RemoveResult()>& remove) {
            announce(started, step);
            runJob(outcome, step++, std::move(subject), remove);
        };
        for (const char* name : {product::kUpperCaseBundleName, product::kMixedCaseBundleName}) {
            const std::string path = roots_.applications + "/" + name;
            job(path, [&path] { return AppBundleJob::removeApp(path); });
        }
        job(AppBundleJob::applicationSupportPath(home, product::kMainAppID),
            [&] { return AppBundleJob::removeApplicationSupport(home, product::kMainAppID); });
        for (const char* bundleID : product::kPreferencesIDs) {
            job(AppBundleJob::preferencesPath(home, bundleID),
                [&] { return AppBundleJob::removePreferences(home, bundleID); });
        }
        for (const char* bundleID : product::kContainerIDs) {
            job(AppBundleJob::containersPath(home, bundleID),
                [&] { return AppBundleJob::removeContainers(home, bundleID); });
        }
        for (const char* groupID : product::kGroupContainerIDs) {
            job(AppBundleJob::groupContainersPath(home, groupID),
                [&] { return AppBundleJob::removeGroupContainers(home, groupID); });
        }
        announce(started, 19);
        sweepTrash(outcome, roots_);
        announce(started, 20);
        runStep(outcome, 20, "user defaults", [&](StepReport& report) {
            recordScriptResult(report, jobs::UserDefaultsJob::reset(*host), StepStatus::cleared,
                               jobs::UserDefaultsJob::kScriptFileName);
        });
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

std::string Uninstaller::stepTitle(int step) {
    const auto item = [](const auto& table, int first, int step) {
        return std::string(table.at(static_cast<std::size_t>(step - first)));
    };
    if (step < 1 || step > kStepCount) {
        return "Step " + std::to_string(step);
    }
    if (step == 1) {
        return "Delete keychain items";
    }
    if (step == 2) {
        return std::string("Switch off login item ") + product::kLauncherID;
    }
    if (step <= 4) {
        return "Remove login item " + item(product::kLoginItemNames, 3, step);
    }
    if (step <= 7) {
        return "Kill " + item(product::kHelperProcessNames, 5, step);
    }
    if (step <= 9) {
        return std::string("Remove ") + product::kApplicationsFolder + "/" +
               (step == 8 ? product::kUpperCaseBundleName : product::kMixedCaseBundleName);
    }
    if (step == 10) {
        return std::string("Remove Application Support ") + product::kMainAppID;
    }
    if (step <= 13) {
        return "Remove Preferences " + item(product::kPreferencesIDs, 11, step) + ".plist";
    }
    if (step <= 16) {
        return "Remove Containers " + item(product::kContainerIDs, 14, step);
    }
    if (step <= 18) {
        return "Remove Group Containers " + item(product::kGroupContainerIDs, 17, step);
    }
    if (step == 19) {
        return std::string("Remove ") + product::kTrashName + " from the Trash";
    }
    return "Reset user defaults";
}

} // namespace tavrel
