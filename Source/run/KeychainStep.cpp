// The keychain step: counts and removals, service by service.
#include "Source/run/KeychainStep.hpp"

#include "Source/jobs/KeychainJob.hpp"
#include "Source/jobs/KeychainSecurityError.hpp"
#include "Source/product/ProductIdentifiers.hpp"
#include "keychain/Keychain.hpp"

#include <algorithm>
#include <exception>
#include <string>

namespace tavrel {

namespace {

using jobs::KeychainJob;
using jobs::ServiceRemoval;
using keychain::Status;

// 'keychain items of "Tavrel"', or with how many were removed: '2 keychain items of "Tavrel"'.
std::string itemsOf(std::string_view service, int removed = 0) {
    std::string subject = removed > 0 ? std::to_string(removed) + " " : "";
    subject += removed == 1 ? "keychain item of \"" : "keychain items of \"";
    subject += service;
    subject += '"';
    return subject;
}

} // namespace

std::string keychainFailureReason(Status status) {
    switch (status.value()) {
    case Status::interactionNotAllowed:
    case Status::interactionRequired:
    case Status::userCanceled:
        return "The keychain is locked: unlock it and run again.";
    case Status::notAvailable:
        return "No keychain could be reached: run again in your desktop session, where your "
               "keyring runs.";
    default:
        break;
    }
    std::string reason = "The keychain failed with error " + std::to_string(status.rawValue());
    if (!status.description().empty()) {
        reason += " (" + std::string(status.description()) + ")";
    }
    return reason + ": run again, or delete the items with your keyring's manager.";
}

namespace {

void record(StepRecorder& recorder, const ServiceRemoval& removal) {
    if (removal.listingFailure) {
        recorder.add(itemsOf(removal.service), StepStatus::failed,
                     removal.listingFailure->osStatusError(),
                     keychainFailureReason(*removal.listingFailure));
    } else if (removal.removed == 0) {
        recorder.add(itemsOf(removal.service), StepStatus::notFound);
    } else {
        recorder.add(itemsOf(removal.service, removal.removed), StepStatus::removed);
    }
}

} // namespace

void lookAtKeychain(const StepContext& context, StepInventory& seen) {
    for (const product::KeychainTarget& target : product::kKeychainTargets) {
        const keychain::Keychain keychain(std::string(target.service), context.keychain);
        const auto listing = keychain.listing(keychain::Keychain::FailureLine::omitted);
        if (!listing.ok()) {
            seen.unavailable = keychainFailureReason(listing.error());
            return;
        }
        const auto items =
            std::count_if(listing->begin(), listing->end(),
                          [&](const std::string& key) { return KeychainJob::takes(target, key); });
        if (items > 0) {
            Trace trace;
            trace.kind = Trace::Kind::keychainItems;
            trace.name = std::string(target.service);
            trace.items = static_cast<int>(items);
            seen.traces.push_back(std::move(trace));
        }
    }
}

void removeKeychainItems(const StepContext& context, StepRecorder& recorder) {
    const auto& targets = product::kKeychainTargets;
    std::size_t finished = 0;
    std::string reason;
    try {
        KeychainJob::removeAll(
            targets,
            [&](const ServiceRemoval& removal) {
                record(recorder, removal);
                ++finished;
            },
            context.keychain);
        return;
    } catch (const jobs::KeychainSecurityError& error) {
        reason = keychainFailureReason(error.status());
        recorder.add(itemsOf(error.service()), StepStatus::failed, error.description(), reason);
    } catch (const std::exception& error) {
        reason = error.what();
        recorder.add(itemsOf(targets[finished].service), StepStatus::failed, error.what(), reason);
    }
    // Not tried, for the same reason: a person acts on that one.
    for (++finished; finished < targets.size(); ++finished) {
        recorder.add(itemsOf(targets[finished].service), StepStatus::failed, "not tried", reason);
    }
}

} // namespace tavrel
