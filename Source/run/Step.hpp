// One step of the uninstall run, defined once: its number, its title, what the inventory looks
// at and what the run does.
#pragma once

#include "Source/run/StepContext.hpp"
#include "Source/run/StepInventory.hpp"
#include "Source/run/StepRecorder.hpp"
#include "Source/run/StepScope.hpp"

#include <functional>
#include <string>

namespace tavrel {

struct Step {
    int number = 0;    // its place in the run, from 1
    std::string title; // what it does, in a few words: "Kill brolt"; stable, as reports name it
    /// The title for a person in their language: the strings-table key of its form ("%@" for
    /// the argument) and that argument ("brolt").
    std::string titleKey;
    std::string titleArgument;
    /// Adds to the inventory what the step would act on now; changes nothing. What cannot be
    /// looked at makes it unavailable, never empty. May throw: the inventory says so instead.
    std::function<void(const StepContext&, StepInventory&)> look;
    /// Does the step, recording one report per item it is about. May throw: the run records
    /// the error as the step's failure and goes on.
    std::function<void(const StepContext&, StepRecorder&)> run;
    /// How a person names what `count` failed reports of this step with one cause were about
    /// ("keychain items of 6 services"); empty when they are named one by one.
    std::function<std::string(std::size_t count)> groupName;
    /// Whether it acts on a location every account of the machine shares (the bundles in
    /// /Applications) rather than on the user's own things.
    bool shared = false;

    /// Whether a run or an inventory of `scope` takes this step.
    [[nodiscard]] bool in(StepScope scope) const noexcept {
        return scope == StepScope::every || (scope == StepScope::shared) == shared;
    }
};

} // namespace tavrel
