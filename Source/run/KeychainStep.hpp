// The keychain step: what it finds and what it removes, service by service. Nothing it reports
// names a key, an account or a secret.
#pragma once

#include "Source/run/StepContext.hpp"
#include "Source/run/StepInventory.hpp"
#include "Source/run/StepRecorder.hpp"
#include "keychain/Status.hpp"

#include <string>

namespace tavrel {

/// Counts, per service, the items the keychain job's rule takes. A keychain that cannot be
/// listed makes the step unavailable, with the reason, and the services after it are not asked:
/// they live in the same keychain, and asking again would only wait again.
void lookAtKeychain(const StepContext& context, StepInventory& seen);

/// Runs the keychain job over the product's services and records one report per service, in
/// order: how many items went, none found, or the failure in a sentence a person can act on. A
/// service the job did not get to is a failure too: its items may still be there.
void removeKeychainItems(const StepContext& context, StepRecorder& recorder);

/// What a person can do about a keychain that failed with `status`, in one sentence of the form
/// "<What is wrong>: <what to do>."
std::string keychainFailureReason(keychain::Status status);

} // namespace tavrel
