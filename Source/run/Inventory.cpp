// The inventory: each step's own look at what it would act on.
#include "Source/run/Inventory.hpp"

#include "Source/run/StepTable.hpp"

#include <exception>

namespace tavrel {

Inventory Inventory::take(const Roots& roots, platform::KeychainStore& keychain, StepScope scope) {
    const auto scripts = platform::AppleScriptHost::make({.loginItemsFolder = roots.loginItems});
    const StepContext context{roots, keychain, *scripts};
    Inventory inventory;
    inventory.steps.reserve(StepTable::steps().size());
    for (const Step& step : StepTable::steps()) {
        if (!step.in(scope)) {
            continue;
        }
        StepInventory& seen = inventory.steps.emplace_back();
        seen.step = step.number;
        try {
            step.look(context, seen);
        } catch (const std::exception& error) {
            // Whatever stopped the look, what the step would act on is not known.
            seen.unavailable = error.what();
        }
    }
    return inventory;
}

} // namespace tavrel
