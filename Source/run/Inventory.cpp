// The inventory: for each step, what its job would act on, looked at by the job's own rules.
#include "Source/run/Inventory.hpp"

#include "Source/errors/Error.hpp"
#include "Source/jobs/AppBundleJob.hpp"
#include "Source/jobs/LoginItemJob.hpp"
#include "Source/run/KeychainStep.hpp"
#include "Source/product/ProductIdentifiers.hpp"
#include "Source/run/Uninstaller.hpp"
#include "keychain/Keychain.hpp"
#include "platform/AppleScriptHost.hpp"
#include "platform/CanonicalText.hpp"
#include "platform/FileManager.hpp"
#include "platform/LoginItemSwitch.hpp"
#include "platform/RunningProcesses.hpp"
#include "platform/TrashFolders.hpp"
#include "platform/UserDefaultsDomains.hpp"

#include <cerrno>
#include <exception>
#include <functional>

namespace tavrel {

namespace {

using jobs::AppBundleJob;
using jobs::KeychainTarget;
using platform::FileManager;
using Kind = Trace::Kind;

Trace traceOf(Kind kind, std::string name) {
    Trace trace;
    trace.kind = kind;
    trace.name = std::move(name);
    return trace;
}

// How many of `keys` the target's rule takes.
int countTaken(const KeychainTarget& target, const std::vector<std::string>& keys) {
    return static_cast<int>(std::count_if(keys.begin(), keys.end(), [&](const std::string& key) {
        switch (target.rule) {
        case KeychainTarget::Rule::allItems:
            return true;
        case KeychainTarget::Rule::keySuffix:
            return key.ends_with(target.argument);
        case KeychainTarget::Rule::oneKey:
            return key == target.argument;
        }
        return false;
    }));
}

void lookAtKeychain(StepInventory& step, platform::KeychainStore& store) {
    for (const KeychainTarget& target : product::kKeychainTargets) {
        const keychain::Keychain keychain(std::string(target.service), store);
        const auto listing = keychain.listing(keychain::Keychain::FailureLine::omitted);
        if (listing.failure) {
            // The other services live in the same keychain: asking again would only wait again.
            step.unavailable = keychainFailureReason(*listing.failure);
            return;
        }
        if (const int items = countTaken(target, listing.keys); items > 0) {
            Trace trace = traceOf(Kind::keychainItems, std::string(target.service));
            trace.items = items;
            step.traces.push_back(std::move(trace));
        }
    }
}

void lookAtLauncher(StepInventory& step, const Roots& roots) {
    const auto state = platform::LoginItemSwitch::state(roots.loginItems, product::kLauncherID);
    if (!state.ok()) {
        step.unavailable = state.error().localizedDescription();
    } else if (*state == platform::LoginItemSwitch::State::enabled) {
        step.traces.push_back(traceOf(Kind::launcher, product::kLauncherID));
    }
}

// A path trace with its size; `folder`: only a folder counts, as the job leaves anything else.
void lookAtPath(StepInventory& step, const std::string& path, bool folder) {
    const auto item = FileManager::itemAt(path);
    if (!item.ok()) {
        step.unavailable = item.error().localizedDescription();
        return;
    }
    if (!item->exists || (folder && !item->isFolder)) {
        return;
    }
    Trace trace = traceOf(Kind::path, path);
    // A size that cannot be measured is left out; the trace is there all the same.
    if (const auto size = FileManager::measure(path); size.ok()) {
        trace.bytes = size->bytes;
        trace.files = size->files;
    }
    step.traces.push_back(std::move(trace));
}

// The Trash copy is removed whatever it is, and without following a link.
void lookAtTrash(StepInventory& step, const Roots& roots) {
    for (const std::string& folder : roots.trashFolders) {
        const std::string path = platform::TrashFolders::itemPath(folder, product::kTrashName);
        const auto size = FileManager::measure(path);
        if (size.ok()) {
            Trace trace = traceOf(Kind::path, path);
            trace.bytes = size->bytes;
            trace.files = size->files;
            step.traces.push_back(std::move(trace));
        } else if (size.error().code() != ENOENT) {
            step.unavailable = size.error().localizedDescription();
        }
    }
}

} // namespace

Inventory Inventory::take(const Roots& roots, platform::KeychainStore& store) {
    Inventory inventory;
    inventory.steps.resize(Uninstaller::kStepCount);
    for (int index = 0; index < Uninstaller::kStepCount; ++index) {
        inventory.steps[static_cast<std::size_t>(index)].step = index + 1;
    }
    const auto at = [&](int step) -> StepInventory& {
        return inventory.steps[static_cast<std::size_t>(step - 1)];
    };
    lookAtKeychain(at(1), store);
    lookAtLauncher(at(2), roots);

    const auto host = platform::AppleScriptHost::make({.loginItemsFolder = roots.loginItems});
    try {
        const std::vector<std::string> names = jobs::LoginItemJob::loginItemNames(*host);
        int step = 3;
        for (const char* wanted : product::kLoginItemNames) {
            for (const std::string& name : names) {
                if (platform::canonicallyEqual(name, wanted)) {
                    at(step).traces.push_back(traceOf(Kind::loginItem, wanted));
                }
            }
            ++step;
        }
    } catch (const Error& error) {
        at(3).unavailable = at(4).unavailable = error.alert().messageText;
    }

    int step = 5;
    for (const char* helper : product::kHelperProcessNames) {
        const auto pids = platform::RunningProcesses::withExecutableName(helper);
        if (!pids.ok()) {
            at(step).unavailable = pids.error().localizedDescription();
        } else {
            for (const int pid : *pids) {
                Trace trace = traceOf(Kind::process, helper);
                trace.pid = pid;
                at(step).traces.push_back(std::move(trace));
            }
        }
        ++step;
    }

    const std::string& home = roots.home;
    step = 8;
    for (const char* name : {product::kUpperCaseBundleName, product::kMixedCaseBundleName}) {
        lookAtPath(at(step++), roots.applications + "/" + name, true);
    }
    lookAtPath(at(step++), AppBundleJob::applicationSupportPath(home, product::kMainAppID), true);
    for (const char* bundleID : product::kPreferencesIDs) {
        lookAtPath(at(step++), AppBundleJob::preferencesPath(home, bundleID), false);
    }
    for (const char* bundleID : product::kContainerIDs) {
        lookAtPath(at(step++), AppBundleJob::containersPath(home, bundleID), true);
    }
    for (const char* groupID : product::kGroupContainerIDs) {
        lookAtPath(at(step++), AppBundleJob::groupContainersPath(home, groupID), true);
    }
    lookAtTrash(at(19), roots);

    const auto domains =
        platform::UserDefaultsDomains::present(home, product::kUserDefaultsDomains);
    if (!domains.ok()) {
        at(20).unavailable = domains.error().localizedDescription();
    } else {
        for (const std::string& domain : *domains) {
            at(20).traces.push_back(traceOf(Kind::defaults, domain));
        }
    }
    return inventory;
}

} // namespace tavrel
