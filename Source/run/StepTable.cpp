// The twenty steps. Each row says, once, what the step is called, what the inventory looks at
// for it and what the run does; the order of the rows is the order of the run: keychain and login
// items first, the helpers stopped before any bundle or folder goes, the user defaults last.
#include "Source/run/StepTable.hpp"

#include "Source/errors/Error.hpp"
#include "Source/jobs/AppBundleJob.hpp"
#include "Source/jobs/HelperProcess.hpp"
#include "Source/jobs/KillProcessJob.hpp"
#include "Source/jobs/LoginItemJob.hpp"
#include "Source/jobs/UserDefaultsJob.hpp"
#include "Source/product/ProductIdentifiers.hpp"
#include "Source/run/FailureReason.hpp"
#include "Source/run/KeychainStep.hpp"
#include "logging/Log.hpp"
#include "platform/CanonicalText.hpp"
#include "platform/FileManager.hpp"
#include "platform/LoginItemSwitch.hpp"
#include "platform/RunningProcesses.hpp"
#include "platform/TrashFolders.hpp"
#include "platform/UserDefaultsDomains.hpp"

#include <cerrno>
#include <utility>
#include <vector>

namespace tavrel {

namespace {

using jobs::AppBundleJob;
using jobs::RemoveResult;
using jobs::ScriptJobResult;
using platform::FileManager;
using Kind = Trace::Kind;
using Look = std::function<void(const StepContext&, StepInventory&)>;
using Run = std::function<void(const StepContext&, StepRecorder&)>;
// A path of the product, from where it is looked for.
using PathOf = std::function<std::string(const Roots&)>;

Trace traceOf(Kind kind, std::string name) {
    Trace trace;
    trace.kind = kind;
    trace.name = std::move(name);
    return trace;
}

// The step's title from its English form, in which "%@" stands for the argument.
std::string titleFrom(std::string_view form, const std::string& argument) {
    std::string title(form);
    if (const auto at = title.find("%@"); at != std::string::npos) {
        title.replace(at, 2, argument);
    }
    return title;
}

// ---- step 2: the launcher's login item

void lookAtLauncher(const StepContext& context, StepInventory& seen) {
    const auto state =
        platform::LoginItemSwitch::state(context.roots.loginItems, product::kLauncherID);
    if (!state.ok()) {
        seen.unavailable = state.error().localizedDescription();
    } else if (*state == platform::LoginItemSwitch::State::enabled) {
        seen.traces.push_back(traceOf(Kind::launcher, product::kLauncherID));
    }
}

void switchOffLauncher(const StepContext& context, StepRecorder& recorder) {
    const auto result = platform::LoginItemSwitch::setEnabled(context.roots.loginItems,
                                                              product::kLauncherID, false);
    if (!result.ok()) {
        recorder.add(product::kLauncherID, StepStatus::failed, result.error().description(),
                     fileFailureReason(result.error(), product::kLauncherID));
        return;
    }
    switch (*result) {
    case platform::LoginItemSwitch::Outcome::notFound:
        return recorder.add(product::kLauncherID, StepStatus::notFound);
    case platform::LoginItemSwitch::Outcome::switched:
        return recorder.add(product::kLauncherID, StepStatus::switchedOff);
    case platform::LoginItemSwitch::Outcome::alreadySwitched:
        return recorder.add(product::kLauncherID, StepStatus::alreadySwitchedOff);
    }
}

// ---- steps 3 and 4: login items by name

// The login items that cannot be read: any of them may carry the name a step removes.
std::vector<platform::FileError> unreadableLoginItems(const StepContext& context) {
    auto unreadable = platform::AppleScriptHost::unreadableLoginItems(context.roots.loginItems);
    return unreadable.ok() ? std::move(unreadable).value() : std::vector<platform::FileError>{};
}

Look lookAtLoginItem(std::string wanted) {
    return [wanted = std::move(wanted)](const StepContext& context, StepInventory& seen) {
        try {
            for (const std::string& name : jobs::LoginItemJob::loginItemNames(context.scripts)) {
                if (platform::canonicallyEqual(name, wanted)) {
                    seen.traces.push_back(traceOf(Kind::loginItem, wanted));
                }
            }
        } catch (const Error& error) {
            seen.unavailable = error.alert().messageText;
            return;
        }
        // Each one named, as the run names each: any of them may be the one the step removes.
        for (const platform::FileError& error : unreadableLoginItems(context)) {
            seen.unavailable = (seen.unavailable ? *seen.unavailable + " " : std::string()) +
                               error.localizedDescription();
        }
    };
}

Run removeLoginItem(std::string name) {
    return [name = std::move(name)](const StepContext& context, StepRecorder& recorder) {
        recorder.record("login item \"" + name + "\"", [&](StepReport& report) {
            const jobs::LoginItemResult result = jobs::LoginItemJob::disable(name, context.scripts);
            switch (result.outcome) {
            case jobs::LoginItemResult::Outcome::removed:
                report.status = StepStatus::removed;
                return;
            case jobs::LoginItemResult::Outcome::notFound:
                report.status = StepStatus::notFound;
                return;
            case jobs::LoginItemResult::Outcome::deletionFailed:
                StepRecorder::fail(report, *result.error);
                return;
            }
        });
        // Whether an entry that cannot be read is one of this name is not known: it may be.
        for (const platform::FileError& error : unreadableLoginItems(context)) {
            recorder.add(error.path(), StepStatus::failed, error.description(),
                         error.localizedDescription());
        }
    };
}

// ---- steps 5 to 7 and 20: scripts

// The report of a script step that did not throw; `done` is what its success means.
void recordScript(StepReport& report, ScriptJobResult result, StepStatus done,
                  const std::string& script) {
    switch (result) {
    case ScriptJobResult::done:
        report.status = done;
        return;
    case ScriptJobResult::nothingToDo:
        report.status = StepStatus::notFound;
        return;
    case ScriptJobResult::scriptMissing:
        // Nothing was done, so nothing is known to be gone.
        report.status = StepStatus::failed;
        report.errorDescription = "script file not found: " + script;
        report.failureReason = "The uninstaller's script " + script +
                               " is missing; reinstall the uninstaller and run it again.";
        return;
    }
}

Look lookAtHelper(std::string helper) {
    return [helper = std::move(helper)](const StepContext&, StepInventory& seen) {
        const auto pids = platform::RunningProcesses::withExecutableName(helper);
        if (!pids.ok()) {
            seen.unavailable = pids.error().localizedDescription();
            return;
        }
        for (const int pid : *pids) {
            Trace trace = traceOf(Kind::process, helper);
            trace.pid = pid;
            seen.traces.push_back(std::move(trace));
        }
    };
}

Run killHelper(jobs::HelperProcess helper) {
    return [helper](const StepContext& context, StepRecorder& recorder) {
        recorder.record("helper process " + jobs::processName(helper), [&](StepReport& report) {
            recordScript(report, jobs::KillProcessJob::kill(helper, context.scripts),
                         StepStatus::removed, jobs::scriptFileName(helper));
        });
    };
}

void lookAtUserDefaults(const StepContext& context, StepInventory& seen) {
    const auto domains =
        platform::UserDefaultsDomains::present(context.roots.home, product::kUserDefaultsDomains);
    if (!domains.ok()) {
        seen.unavailable = domains.error().localizedDescription();
        return;
    }
    for (const std::string& domain : *domains) {
        seen.traces.push_back(traceOf(Kind::defaults, domain));
    }
}

void resetUserDefaults(const StepContext& context, StepRecorder& recorder) {
    recorder.record("user defaults", [&](StepReport& report) {
        recordScript(report, jobs::UserDefaultsJob::reset(context.scripts), StepStatus::cleared,
                     jobs::UserDefaultsJob::kScriptFileName);
    });
}

// ---- steps 8 to 18: bundles and data folders

// A path trace with its size, when something is there; `folder`: only a folder counts, as the
// job leaves anything else alone. A size that cannot be measured is left out; the trace stays.
void lookAtPath(StepInventory& seen, const std::string& path, bool folder) {
    const auto item = FileManager::itemAt(path);
    if (!item.ok()) {
        seen.unavailable = item.error().localizedDescription();
        return;
    }
    if (!item->exists || (folder && !item->isFolder)) {
        return;
    }
    Trace trace = traceOf(Kind::path, path);
    if (const auto size = FileManager::measure(path); size.ok()) {
        trace.bytes = size->bytes;
        trace.files = size->files;
    }
    seen.traces.push_back(std::move(trace));
}

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

// A step that removes the folder or file at `pathOf` with `remove`.
std::pair<Look, Run> pathStep(const PathOf& pathOf, bool folder,
                              const std::function<RemoveResult(const Roots&)>& remove) {
    return {[=](const StepContext& context, StepInventory& seen) {
                lookAtPath(seen, pathOf(context.roots), folder);
            },
            [=](const StepContext& context, StepRecorder& recorder) {
                recorder.record(pathOf(context.roots), [&](StepReport& report) {
                    report.status = statusOf(remove(context.roots));
                });
            }};
}

// ---- step 19: the Trash

// The Trash copy is removed whatever it is, and without following a link.
void lookAtTrash(const StepContext& context, StepInventory& seen) {
    for (const std::string& folder : context.roots.trashFolders) {
        const std::string path = platform::TrashFolders::itemPath(folder, product::kTrashName);
        const auto size = FileManager::measure(path);
        if (size.ok()) {
            Trace trace = traceOf(Kind::path, path);
            trace.bytes = size->bytes;
            trace.files = size->files;
            seen.traces.push_back(std::move(trace));
        } else if (size.error().code() != ENOENT) {
            seen.unavailable = size.error().localizedDescription();
        }
    }
}

void sweepTrash(const StepContext& context, StepRecorder& recorder) {
    const auto& folders = context.roots.trashFolders;
    if (folders.empty()) {
        recorder.add(std::string(product::kTrashName) + " in the Trash", StepStatus::notFound);
        return;
    }
    for (const std::string& folder : folders) {
        std::string subject = platform::TrashFolders::itemPath(folder, product::kTrashName);
        const auto removal = platform::TrashFolders::removeItem(folder, product::kTrashName);
        if (!removal.ok()) {
            std::string reason = fileFailureReason(removal.error(), subject);
            recorder.add(std::move(subject), StepStatus::failed, removal.error().description(),
                         std::move(reason));
            continue;
        }
        if (removal->recordError) {
            // The item is gone; only the Trash's note about it stays behind.
            logging::logError("uninstall()", [&] { return removal->recordError->description(); });
        }
        recorder.add(std::move(subject),
                     removal->removed ? StepStatus::removed : StepStatus::notFound);
    }
}

// ---- the table

std::vector<Step> makeTable() {
    std::vector<Step> table;
    const auto add = [&table](std::string_view form, std::string key, std::string argument,
                              Look look, Run run) {
        Step step;
        step.number = static_cast<int>(table.size()) + 1;
        step.title = titleFrom(form, argument);
        step.titleKey = std::move(key);
        step.titleArgument = std::move(argument);
        step.look = std::move(look);
        step.run = std::move(run);
        table.push_back(std::move(step));
        return &table.back();
    };
    const auto addPath = [&add](std::string_view form, std::string key, std::string argument,
                                std::pair<Look, Run> step) {
        return add(form, std::move(key), std::move(argument), std::move(step.first),
                   std::move(step.second));
    };
    add("Delete keychain items", "step.keychain", "", lookAtKeychain, removeKeychainItems)
        ->groupName = [](std::size_t count) {
        return "keychain items of " + std::to_string(count) + " services";
    };
    add("Switch off login item %@", "step.launcher", product::kLauncherID, lookAtLauncher,
        switchOffLauncher);
    for (const char* name : product::kLoginItemNames) {
        add("Remove login item %@", "step.login_item", name, lookAtLoginItem(name),
            removeLoginItem(name));
    }
    for (const jobs::HelperProcess helper : jobs::kHelperProcesses) {
        add("Kill %@", "step.kill", jobs::processName(helper),
            lookAtHelper(jobs::processName(helper)), killHelper(helper));
    }
    for (const char* name : {product::kUpperCaseBundleName, product::kMixedCaseBundleName}) {
        const std::string bundle(name);
        const PathOf path = [bundle](const Roots& roots) {
            return roots.applications + "/" + bundle;
        };
        addPath(
            "Remove %@", "step.bundle", std::string(product::kApplicationsFolder) + "/" + name,
            pathStep(path, true,
                     [path](const Roots& roots) { return AppBundleJob::removeApp(path(roots)); }))
            ->shared = true;
    }
    // A data folder or file under the home folder, named from an identifier by the job.
    using PathFunction = std::string (*)(const std::string& home, const std::string& id);
    using RemoveFunction = RemoveResult (*)(const std::string& home, const std::string& id);
    const auto addData = [&addPath](std::string_view form, std::string key, const std::string& id,
                                    PathFunction path, bool folder, RemoveFunction remove) {
        addPath(form, std::move(key), id,
                pathStep([path, id](const Roots& roots) { return path(roots.home, id); }, folder,
                         [remove, id](const Roots& roots) { return remove(roots.home, id); }));
    };
    addData("Remove Application Support %@", "step.application_support", product::kMainAppID,
            &AppBundleJob::applicationSupportPath, true, &AppBundleJob::removeApplicationSupport);
    for (const char* id : product::kPreferencesIDs) {
        addData("Remove Preferences %@.plist", "step.preferences", id,
                &AppBundleJob::preferencesPath, false, &AppBundleJob::removePreferences);
    }
    for (const char* id : product::kContainerIDs) {
        addData("Remove Containers %@", "step.containers", id, &AppBundleJob::containersPath, true,
                &AppBundleJob::removeContainers);
    }
    for (const char* id : product::kGroupContainerIDs) {
        addData("Remove Group Containers %@", "step.group_containers", id,
                &AppBundleJob::groupContainersPath, true, &AppBundleJob::removeGroupContainers);
    }
    add("Remove %@ from the Trash", "step.trash", product::kTrashName, lookAtTrash, sweepTrash);
    add("Reset user defaults", "step.user_defaults", "", lookAtUserDefaults, resetUserDefaults);
    return table;
}

} // namespace

std::span<const Step> StepTable::steps() {
    static const std::vector<Step> table = makeTable();
    return table;
}

const Step& StepTable::step(int number) {
    return steps()[static_cast<std::size_t>(number - 1)];
}

} // namespace tavrel
