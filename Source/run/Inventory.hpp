// What of the product exists now for the user, step by step: read with the run's product table
// and platform services, changing nothing.
#pragma once

#include "Source/run/Roots.hpp"
#include "Source/run/StepInventory.hpp"
#include "Source/run/StepScope.hpp"
#include "platform/KeychainStore.hpp"

#include <algorithm>
#include <vector>

namespace tavrel {

struct Inventory {
    std::vector<StepInventory> steps; // one per step of the scope it was taken for, in order

    /// Looks at everything each step of a run in `roots` would act on (see StepTable):
    /// keychain items counted by the job's rules (never a key or a secret), the launcher entry
    /// when it is switched on, login items by name, running helper processes, bundles, data
    /// folders and files with their sizes, the Trash copies and the user defaults domains. A
    /// file where a folder is expected is no trace, as the run leaves it alone. Writes, logs and
    /// asks nothing; a keychain that cannot be reached, or anything that cannot be looked at,
    /// makes its step unavailable rather than empty, and so does whatever a step's look throws.
    /// Only the steps of `scope` are looked at.
    static Inventory take(const Roots& roots,
                          platform::KeychainStore& keychain = platform::KeychainStore::system(),
                          StepScope scope = StepScope::every);

    /// What was seen for step `number`; none when the step was not looked at.
    [[nodiscard]] const StepInventory* of(int number) const {
        const auto seen = std::find_if(steps.begin(), steps.end(),
                                       [number](const auto& step) { return step.step == number; });
        return seen == steps.end() ? nullptr : &*seen;
    }

    /// Whether nothing was found and everything could be looked at.
    [[nodiscard]] bool clean() const {
        return std::all_of(steps.begin(), steps.end(),
                           [](const StepInventory& step) { return step.clean(); });
    }
};

} // namespace tavrel
