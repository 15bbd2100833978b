// The machine-readable report of the command line: one JSON document whose field names are
// stable (the README lists them).
#pragma once

#include "Source/run/Inventory.hpp"
#include "Source/run/UninstallOutcome.hpp"

#include <optional>
#include <string>

namespace tavrel::cli {

struct JsonReport {
    std::string version;
    std::string user;
    std::optional<std::string> home; // none without a usable home folder
    bool dryRun = false;
    std::optional<std::string> error;        // why nothing was removed, when the run did not start
    std::optional<Inventory> found;          // before the run; none when nothing was looked at
    std::optional<UninstallOutcome> outcome; // none when the run did not start
    std::optional<Inventory> remaining;      // after the run; none when it did not start
    int exitStatus = 0;

    /// The document, on one line, ending in a line feed. Where no run happened, what remains is
    /// what was found.
    [[nodiscard]] std::string document() const;
};

} // namespace tavrel::cli
