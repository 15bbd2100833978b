// The machine's accounts, from its account database, and whether an account's home folder is
// one a run may be made in.
#pragma once

#include "platform/Account.hpp"
#include "platform/Result.hpp"

#include <optional>
#include <string>
#include <vector>

namespace tavrel::platform {

class AccountDatabase {
public:
    /// Every account the database lists, in its order. Fails when the database cannot be read.
    static Result<std::vector<Account>> all();

    /// Why `account.home` is no home folder to run in, in a few words ("does not exist", "is
    /// owned by user 0"); none when it is an absolute path to an existing folder (links
    /// followed), not the root folder under any spelling, and owned by the account's uid.
    static std::optional<std::string> homeProblem(const Account& account);
};

} // namespace tavrel::platform
