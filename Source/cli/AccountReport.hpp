// What a run for every account says of one account: who it is, how it fared and its own report.
#pragma once

#include "Source/cli/AccountOutcome.hpp"
#include "Source/cli/JsonReport.hpp"

#include <optional>
#include <string>

namespace tavrel::cli {

struct AccountReport {
    std::string user;
    std::optional<unsigned> uid;     // none for a name the database does not know
    std::optional<std::string> home; // from the account database
    AccountOutcome outcome = AccountOutcome::notRun;
    std::optional<std::string> error; // why its run did not happen or was refused
    std::optional<JsonReport> report; // what its own process reported, read back
};

} // namespace tavrel::cli
