// Step 1 of the uninstall run: the product's keychain items, reported service by service.
#pragma once

#include "Source/run/UninstallOutcome.hpp"
#include "keychain/Status.hpp"

#include <string>

namespace tavrel {

/// Runs the keychain job over the product's services and adds one report per service to
/// `outcome`, in order: how many items went, none found, or the failure in a sentence a person
/// can act on. A service the job did not get to is a failure too: its items may still be there.
void removeKeychainItems(UninstallOutcome& outcome);

/// What a person can do about a keychain that failed with `status`, in one sentence.
std::string keychainFailureReason(keychain::Status status);

} // namespace tavrel
