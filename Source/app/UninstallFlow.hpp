// The uninstall as both front ends drive it: what is there now, then the running-application
// check, the run with an event as each step starts, the inventory after the run, and an outcome
// that says what may be left. Knows no front end; every call blocks its thread, so a window
// makes them on a thread of its own.
#pragma once

#include "Source/app/FlowResult.hpp"
#include "Source/run/Inventory.hpp"
#include "Source/run/Step.hpp"
#include "platform/KeychainStore.hpp"

#include <functional>
#include <optional>

namespace tavrel {

class UninstallFlow {
public:
    /// Told what the flow does, on the thread that calls uninstall(). Whatever they throw ends
    /// their call only.
    struct Events {
        std::function<void(const Step& step)> stepStarted;
        std::function<void()> checking; // the run is over; the inventory after it is being taken
        /// Asked before each step: true ends the run there (the inventory is still taken).
        std::function<bool()> stopRequested;
    };

    /// A flow on `keychain` (the user's unless a test gives another), which must outlive it,
    /// taking the steps of `scope`.
    explicit UninstallFlow(platform::KeychainStore& keychain = platform::KeychainStore::system(),
                           StepScope scope = StepScope::every)
        : keychain_(&keychain), scope_(scope) {}

    /// What of the product is there now, step by step; none when the user has no usable home
    /// folder (the shared steps need none). Everything is looked up anew on each call: the home
    /// folder, the Trash folders, the keychain. Changes nothing.
    [[nodiscard]] std::optional<Inventory> survey() const;

    /// Refuses, removing nothing, without a usable home folder (but for the shared steps), or
    /// while a product application runs for the user or whether one runs cannot be told;
    /// otherwise runs every step of its scope, then takes the inventory again. Everything is
    /// looked up when it is used. Never throws but for lack of memory.
    [[nodiscard]] FlowResult uninstall(const Events& events = {}) const;

    /// Refuses as uninstall() would, for a running product application or a check that cannot
    /// be made; none when the run may go ahead. Changes nothing.
    [[nodiscard]] static std::optional<Refusal> runningCheck();

private:
    [[nodiscard]] std::optional<Roots> roots() const;

    platform::KeychainStore* keychain_;
    StepScope scope_;
};

} // namespace tavrel
