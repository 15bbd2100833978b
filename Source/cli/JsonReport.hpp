// The machine-readable report of the command line: one JSON document whose field names are
// stable (the README lists them).
#pragma once

#include "Source/run/Inventory.hpp"
#include "Source/run/UninstallOutcome.hpp"

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

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

    /// The document, on one line, ending in a line feed: a step object for each step the
    /// inventory looked at. Where no run happened, what remains is what was found.
    [[nodiscard]] std::string document() const;

    /// The document as a JSON value, to be put inside another.
    [[nodiscard]] nlohmann::ordered_json object() const;

    /// Writes `value` on one line, ending in a line feed; invalid UTF-8 in a path is replaced.
    [[nodiscard]] static std::string dump(const nlohmann::ordered_json& value);

    /// The report a document() holds, read back as far as its fields say it: the inventories,
    /// and the run when any step has results. None when `document` is not such a document,
    /// whatever it holds: it may come from a process that another user could tamper with.
    [[nodiscard]] static std::optional<JsonReport> parse(std::string_view document);
};

} // namespace tavrel::cli
