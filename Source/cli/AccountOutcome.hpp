// How one account fared in a run for every account, and its names.
#pragma once

#include <array>
#include <string_view>

namespace tavrel::cli {

enum class AccountOutcome {
    removed,             // its run is verified: nothing of the product is left
    keychainNotLookedAt, // nothing else is left, but its keychain could not be looked at
    remains,             // something is left, or a step failed (its remains say what)
    running,             // a product application runs for it: left untouched
    notRun,              // its run did not happen or gave no report (its error says why)
    stopped,             // a stop request ended its run, or came before it started
    dryRun,              // a dry run: its report lists what is there now
    notFound,            // named with --user, but no such account exists
    notEligible,         // named with --user, but no account a run is made for
};

/// The names of every outcome, in the enumeration's order.
struct AccountOutcomeName {
    AccountOutcome outcome;
    std::string_view stable; // the JSON report's name: stable, callers rely on it
    std::string_view label;  // a few words for a person
};
inline constexpr std::array<AccountOutcomeName, 9> kAccountOutcomeNames{{
    {AccountOutcome::removed, "removed", "removed"},
    {AccountOutcome::keychainNotLookedAt, "keychainNotLookedAt",
     "nothing else is left, but its keychain could not be looked at (not logged in?)"},
    {AccountOutcome::remains, "remains", "not completely removed"},
    {AccountOutcome::running, "running", "left untouched"},
    {AccountOutcome::notRun, "notRun", "not run"},
    {AccountOutcome::stopped, "stopped", "stopped"},
    {AccountOutcome::dryRun, "dryRun", "dry run"},
    {AccountOutcome::notFound, "notFound", "no such account"},
    {AccountOutcome::notEligible, "notEligible", "not an account a run is made for"},
}};

/// The outcome's names.
constexpr const AccountOutcomeName& namesOf(AccountOutcome outcome) {
    return kAccountOutcomeNames.at(static_cast<std::size_t>(outcome));
}

} // namespace tavrel::cli
