// Running this program again as another account, with that account's rights only: the kernel,
// not our code, then keeps what it does inside that account's files.
#pragma once

#include "platform/Account.hpp"
#include "platform/ProcessEnd.hpp"
#include "platform/Result.hpp"

#include <cstddef>
#include <string>
#include <vector>

namespace tavrel::platform {

class AccountProcess {
public:
    /// Where the program's standard error goes.
    enum class Errors { shown, dropped }; // ours, or the null device

    /// Runs this program's own executable file with `arguments` as `account` and waits for it.
    /// The process gets the account's groups, gid and uid (in that order), and is checked to
    /// have no way back to root before anything of ours runs in it; its environment is made from
    /// the account alone: HOME, USER, LOGNAME, a fixed PATH, and XDG_RUNTIME_DIR and the session
    /// bus of /run/user/<uid> only when they exist and belong to the account. Its standard input
    /// is the null device and it inherits no other open file. Needs root; never for uid 0.
    /// Fails when the process cannot be made or cannot take the account's rights: the error's
    /// code is the system's error number and its path names what failed ("setuid", "exec").
    static Result<ProcessEnd> runSelf(const Account& account,
                                      const std::vector<std::string>& arguments, Errors errors,
                                      std::size_t outputLimit);
};

} // namespace tavrel::platform
