// What every step of one inventory or one run works with: where the product is looked for, the
// keychain and the script host. Made once per pass, so that each pass sees the system as it is.
#pragma once

#include "Source/run/Roots.hpp"
#include "platform/AppleScriptHost.hpp"
#include "platform/KeychainStore.hpp"

namespace tavrel {

struct StepContext {
    const Roots& roots;
    platform::KeychainStore& keychain;
    const platform::AppleScriptHost& scripts;
};

} // namespace tavrel
