// The keychain step's reports. They name services and counts, never a key, an account or a
// secret.
#include "Source/run/KeychainStep.hpp"

#include "Source/jobs/KeychainJob.hpp"
#include "Source/jobs/KeychainSecurityError.hpp"
#include "Source/product/ProductIdentifiers.hpp"

#include <exception>
#include <string>

namespace tavrel {

namespace {

using jobs::KeychainJob;
using jobs::ServiceRemoval;
using keychain::Status;

constexpr int kStep = 1;

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

StepReport reportOf(const ServiceRemoval& removal) {
    if (removal.listingFailure) {
        return StepReport{kStep, itemsOf(removal.service), StepStatus::failed,
                          removal.listingFailure->osStatusError(),
                          keychainFailureReason(*removal.listingFailure)};
    }
    if (removal.removed == 0) {
        return StepReport{kStep, itemsOf(removal.service), StepStatus::notFound, {}, {}};
    }
    return StepReport{
        kStep, itemsOf(removal.service, removal.removed), StepStatus::removed, {}, {}};
}

} // namespace

void removeKeychainItems(UninstallOutcome& outcome) {
    const auto& targets = product::kKeychainTargets;
    std::size_t finished = 0;
    try {
        KeychainJob::removeAll(targets, [&](const ServiceRemoval& removal) {
            outcome.steps.push_back(reportOf(removal));
            ++finished;
        });
        return;
    } catch (const jobs::KeychainSecurityError& error) {
        outcome.steps.push_back(StepReport{kStep, itemsOf(error.service()), StepStatus::failed,
                                           error.description(),
                                           keychainFailureReason(error.status())});
    } catch (const std::exception& error) {
        outcome.steps.push_back(StepReport{kStep, itemsOf(targets[finished].service),
                                           StepStatus::failed, error.what(), error.what()});
    }
    for (++finished; finished < targets.size(); ++finished) {
        outcome.steps.push_back(StepReport{kStep, itemsOf(targets[finished].service),
                                           StepStatus::failed, "not tried",
                                           "Not tried, since the keychain failed before."});
    }
}

} // namespace tavrel
