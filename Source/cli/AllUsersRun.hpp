// tavrel-uninstall --all-users: root removes the product from every account of the machine, each
// account's part in a process of its own with that account's rights only, then the shared steps
// once, as root, when the product runs for no account.
#pragma once

#include "Source/cli/AllUsersReport.hpp"

#include <iosfwd>
#include <string>
#include <vector>

namespace tavrel::cli {

class AllUsersRun {
public:
    struct Options {
        std::vector<std::string> users; // --user: only these accounts; all when empty
        bool yes = false;
        bool dryRun = false;
        bool verbose = false;
        std::string version;
    };

    /// The internal option that makes a process one account's part, and its two values: the
    /// running-application check alone, or the run of the account's steps.
    static constexpr const char* kAccountProcessOption = "--account-process";
    static constexpr const char* kCheck = "check";
    static constexpr const char* kRun = "run";

    explicit AllUsersRun(Options options) : options_(std::move(options)) {}

    /// Runs it, as root, telling a person on `out`: first the running-application check in
    /// every account's own process; then each account where the product does not run, in its
    /// own process (helpers stopped, data removed, its inventory after); then, only when the
    /// product runs for no account and every account was run, the shared steps as root and
    /// their inventory after. Fills in and returns the report, exit status included; `stoppedBy`
    /// is set to the termination request that stopped it, 0 for none.
    AllUsersReport run(std::ostream& out, int& stoppedBy) const;

private:
    Options options_;
};

} // namespace tavrel::cli
