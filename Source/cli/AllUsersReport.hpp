// The one report of a run for every account: a line per account and what remains of each, then
// the shared steps; or one JSON document holding each account's own report (field names stable,
// the README lists them).
#pragma once

#include "Source/app/Remainder.hpp"
#include "Source/cli/AccountReport.hpp"
#include "Source/cli/JsonReport.hpp"

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace tavrel::cli {

struct AllUsersReport {
    std::string version;
    bool dryRun = false;
    std::optional<std::string> error; // why no account was run at all
    std::vector<AccountReport> accounts;
    /// Root's part: the shared steps (found, run, remaining); its error says why they were not
    /// run. None when nothing got that far.
    std::optional<JsonReport> shared;
    int exitStatus = 0;

    /// What `report` says may be left, as FlowResult::remainders() does; in a dry run or where
    /// nothing ran, everything found. Leaves out the keychain's when it could not be looked at
    /// after the run (see keychainLookedAt), which is not a removal that failed.
    [[nodiscard]] static std::vector<Remainder> remains(const JsonReport& report);

    /// Whether the keychain could be looked at the last time the report's inventory was taken;
    /// none when the keychain step was not looked at all.
    [[nodiscard]] static std::optional<bool> keychainLookedAt(const JsonReport& report);

    /// The document, on one line, ending in a line feed.
    [[nodiscard]] std::string document() const;

    /// For a person: "alice (uid 1000): removed" for each account, then what remains of each,
    /// then the shared steps, then one closing line.
    void print(std::ostream& out) const;
};

} // namespace tavrel::cli
