// The uninstall run. Steps 3 to 7 and 20 (login items, helper processes, user defaults) join
// when their jobs exist; the numbers stay fixed.
#include "Source/Uninstaller.hpp"

#include "Source/Error/Error.hpp"
#include "Source/Job/AppBundleJob.hpp"
#include "Source/Job/RemoveAppBundleError.hpp"
#include "Source/KeychainStep.hpp"
#include "Source/ProductIdentifiers.hpp"
#include "logging/Log.hpp"
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

// Runs one job step; its error becomes the step's failure and the run goes on.
void runJob(UninstallOutcome& outcome, int step, std::string subject,
            const std::function<RemoveResult()>& job) {
    StepReport report{step, std::move(subject), StepStatus::failed, {}, {}};
    try {
        report.status = statusOf(job());
    } catch (const jobs::RemoveAppBundleError& error) {
        report.errorDescription = error.description();
        report.failureReason = sentenceFor(error.error(), report.subject);
    } catch (const Error& error) {
        report.errorDescription = error.description();
        report.failureReason = error.alert().messageText;
    } catch (const std::exception& error) {
        report.errorDescription = error.what();
        report.failureReason = error.what();
    } catch (...) {
        report.errorDescription = report.failureReason = "unknown error";
    }
    outcome.steps.push_back(std::move(report));
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

UninstallOutcome Uninstaller::uninstall() const noexcept {
    UninstallOutcome outcome;
    try {
        const std::string& home = roots_.home;
        outcome.steps.reserve(25);
        removeKeychainItems(outcome);
        switchOffLauncher(outcome, roots_);
        int step = 8;
        for (const char* name : {product::kUpperCaseBundleName, product::kMixedCaseBundleName}) {
            const std::string path = roots_.applications + "/" + name;
            runJob(outcome, step++, path, [&path] { return AppBundleJob::removeApp(path); });
        }
        runJob(outcome, step++, AppBundleJob::applicationSupportPath(home, product::kMainAppID),
               [&] { return AppBundleJob::removeApplicationSupport(home, product::kMainAppID); });
        for (const char* bundleID : product::kPreferencesIDs) {
            runJob(outcome, step++, AppBundleJob::preferencesPath(home, bundleID),
                   [&] { return AppBundleJob::removePreferences(home, bundleID); });
        }
        for (const char* bundleID : product::kContainerIDs) {
            runJob(outcome, step++, AppBundleJob::containersPath(home, bundleID),
                   [&] { return AppBundleJob::removeContainers(home, bundleID); });
        }
        for (const char* groupID : product::kGroupContainerIDs) {
            runJob(outcome, step++, AppBundleJob::groupContainersPath(home, groupID),
                   [&] { return AppBundleJob::removeGroupContainers(home, groupID); });
        }
        sweepTrash(outcome, roots_);
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
