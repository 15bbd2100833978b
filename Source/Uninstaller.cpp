// The uninstall run and the product's identifiers. Steps 1, 3 to 7 and 20 (keychain, login
// items, helper processes, user defaults) join when their jobs exist; the numbers stay fixed.
#include "Source/Uninstaller.hpp"

#include "Source/Job/AppBundleJob.hpp"
#include "Source/Job/RemoveAppBundleError.hpp"
#include "platform/LoginItemSwitch.hpp"
#include "platform/TrashFolders.hpp"

#include <exception>
#include <functional>
#include <string>

namespace tavrel {

namespace {

using jobs::AppBundleJob;
using jobs::RemoveResult;

constexpr const char* kMainAppID = "com.quillorchid.TavrelOSX";
constexpr const char* kAuthenticatorID = "com.quillorchid.TavrelAuthenticator";
constexpr const char* kMacOSID = "com.quillorchid.tavrel.macos";
constexpr const char* kFinderSyncID = "com.quillorchid.TavrelOSX.FinderSync";
constexpr const char* kLauncherID = "com.quillorchid.TavrelOSXLauncher";
constexpr const char* kMainGroupID = "group.com.quillorchid.TavrelOSX";
constexpr const char* kMacOSGroupID = "group.com.quillorchid.tavrel.macos";
constexpr const char* kUpperCaseAppPath = "/Applications/TAVREL.app";
constexpr const char* kMixedCaseAppPath = "/Applications/Tavrel.app";
constexpr const char* kTrashName = "TAVREL.app";

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

// Runs one job step; its error becomes the step's failure and the run goes on.
void runJob(UninstallOutcome& outcome, int step, std::string subject,
            const std::function<RemoveResult()>& job) {
    StepReport report{step, std::move(subject), StepStatus::failed, {}};
    try {
        report.status = statusOf(job());
    } catch (const std::exception& error) {
        report.errorDescription = error.what();
    } catch (...) {
        report.errorDescription = "unknown error";
    }
    outcome.steps.push_back(std::move(report));
}

void switchOffLauncher(UninstallOutcome& outcome) {
    const auto result = platform::LoginItemSwitch::setEnabled(kLauncherID, false);
    StepReport report{2, kLauncherID, StepStatus::notFound, {}};
    if (result.error) {
        report.status = StepStatus::failed;
        report.errorDescription = result.error->description();
    } else if (result.found) {
        report.status = StepStatus::switchedOff;
    }
    outcome.steps.push_back(std::move(report));
}

void sweepTrash(UninstallOutcome& outcome) {
    const auto folders = platform::TrashFolders::userTrashFolders();
    if (folders.empty()) {
        outcome.steps.push_back(
            StepReport{19, std::string("Trash/") + kTrashName, StepStatus::notFound, {}});
        return;
    }
    for (const std::string& folder : folders) {
        const auto removal = platform::TrashFolders::removeItem(folder, kTrashName);
        StepReport report{19,
                          platform::TrashFolders::itemPath(folder, kTrashName),
                          removal.removed ? StepStatus::removed : StepStatus::notFound,
                          {}};
        if (removal.error) {
            report.status = StepStatus::failed;
            report.errorDescription = removal.error->description();
        }
        outcome.steps.push_back(std::move(report));
    }
}

} // namespace

UninstallOutcome Uninstaller::uninstall() const noexcept {
    UninstallOutcome outcome;
    try {
        outcome.steps.reserve(16);
        switchOffLauncher(outcome);
        runJob(outcome, 8, kUpperCaseAppPath,
               [] { return AppBundleJob::removeApp(kUpperCaseAppPath); });
        runJob(outcome, 9, kMixedCaseAppPath,
               [] { return AppBundleJob::removeApp(kMixedCaseAppPath); });
        runJob(outcome, 10, AppBundleJob::applicationSupportPath(kMainAppID),
               [] { return AppBundleJob::removeApplicationSupport(kMainAppID); });
        int step = 11;
        for (const char* bundleID : {kMainAppID, kAuthenticatorID, kMacOSID}) {
            runJob(outcome, step++, AppBundleJob::preferencesPath(bundleID),
                   [bundleID] { return AppBundleJob::removePreferences(bundleID); });
        }
        for (const char* bundleID : {kFinderSyncID, kLauncherID, kMacOSID}) {
            runJob(outcome, step++, AppBundleJob::containersPath(bundleID),
                   [bundleID] { return AppBundleJob::removeContainers(bundleID); });
        }
        for (const char* groupID : {kMainGroupID, kMacOSGroupID}) {
            runJob(outcome, step++, AppBundleJob::groupContainersPath(groupID),
                   [groupID] { return AppBundleJob::removeGroupContainers(groupID); });
        }
        sweepTrash(outcome);
    } catch (...) {
        // Only running out of memory gets here; the steps reported so far stand.
        try {
            outcome.steps.push_back(
                StepReport{0, "uninstall run", StepStatus::failed, "out of memory"});
        } catch (...) { // NOLINT(bugprone-empty-catch): nothing more can be recorded
        }
    }
    return outcome;
}

} // namespace tavrel
