// A run for every account: the accounts chosen, each checked in its own process, each run in its
// own process, then the shared steps as root.
#include "Source/cli/AllUsersRun.hpp"

#include "Source/app/Logger.hpp"
#include "Source/app/UninstallFlow.hpp"
#include "Source/cli/ConfirmationPrompt.hpp"
#include "Source/cli/ExitStatus.hpp"
#include "logging/LogDispatcher.hpp"
#include "platform/AccountDatabase.hpp"
#include "platform/AccountProcess.hpp"
#include "platform/LoginRange.hpp"
#include "platform/TerminationRequests.hpp"
#include "platform/UserAccount.hpp"

#include <algorithm>
#include <iostream>
#include <optional>

namespace tavrel::cli {

namespace {

using platform::Account;

using namespace exit_status;
// Many times the largest report of one account; more is not a report of ours.
constexpr std::size_t kReportLimit = std::size_t{16} << 20;

// One account to run, and the index of its line in the report.
struct Candidate {
    Account account;
    std::size_t line;
};

AccountReport reportOf(const Account& account) {
    AccountReport report;
    report.user = account.name;
    report.uid = account.uid;
    report.home = account.home;
    return report;
}

// Why `account` is no account a run is made for; none when it is one.
std::optional<std::string> ineligibility(const Account& account,
                                         const platform::LoginRange& range) {
    if (account.uid == 0 || !range.contains(account.uid)) {
        return "uid " + std::to_string(account.uid) + " lies outside the login range " +
               std::to_string(range.first) + "-" + std::to_string(range.last) +
               " of /etc/login.defs";
    }
    if (const auto problem = platform::AccountDatabase::homeProblem(account)) {
        return "its home folder " + account.home + " " + *problem;
    }
    return std::nullopt;
}

// The accounts to run, into `report`'s lines in order: every eligible account of the database,
// or those named (each once), with a line for each name that is no such account.
std::vector<Candidate> choose(const std::vector<Account>& database,
                              const std::vector<std::string>& names, AllUsersReport& report) {
    const platform::LoginRange range = platform::LoginRange::ofThisSystem();
    std::vector<Candidate> candidates;
    const auto add = [&](const Account& account, std::optional<std::string> ineligible) {
        AccountReport line = reportOf(account);
        if (ineligible) {
            line.outcome = AccountOutcome::notEligible;
            line.error = std::move(ineligible);
        } else {
            candidates.push_back({account, report.accounts.size()});
        }
        report.accounts.push_back(std::move(line));
    };
    if (names.empty()) {
        for (const Account& account : database) {
            if (!ineligibility(account, range)) {
                add(account, std::nullopt);
            }
        }
        return candidates;
    }
    std::vector<std::string> seen;
    for (const std::string& name : names) {
        if (std::find(seen.begin(), seen.end(), name) != seen.end()) {
            continue;
        }
        seen.push_back(name);
        const auto found =
            std::find_if(database.begin(), database.end(),
                         [&](const Account& account) { return account.name == name; });
        if (found != database.end()) {
            add(*found, ineligibility(*found, range));
            continue;
        }
        AccountReport unknown;
        unknown.user = name;
        unknown.outcome = AccountOutcome::notFound;
        unknown.error = "the account database has no account of that name";
        report.accounts.push_back(std::move(unknown));
    }
    return candidates;
}

// Runs the account's process with `arguments` and reads its report; false, with the account's
// outcome set, when there is no report to go on.
bool runAccountProcess(const Candidate& candidate, AccountReport& line,
                       const std::vector<std::string>& arguments, bool verbose) {
    const auto end =
        platform::AccountProcess::runSelf(candidate.account, arguments,
                                          verbose ? platform::AccountProcess::Errors::shown
                                                  : platform::AccountProcess::Errors::dropped,
                                          kReportLimit);
    if (!end.ok()) {
        line.outcome = AccountOutcome::notRun;
        line.error = "its process could not be started as " + line.user + ": " +
                     end.error().path() + ": " + end.error().reason();
        return false;
    }
    line.report = end->outputCut ? std::nullopt : JsonReport::parse(end->output);
    constexpr int kFirstSignalStatus = 128;
    if (end->status > kFirstSignalStatus) {
        line.outcome = AccountOutcome::stopped;
        line.error =
            line.report && line.report->error
                ? *line.report->error
                : "its process ended by signal " + std::to_string(end->status - kFirstSignalStatus);
        return false;
    }
    if (!line.report) {
        line.outcome = AccountOutcome::notRun;
        line.error = "its process gave no report (exit status " + std::to_string(end->status) +
                     ")" + (verbose ? "" : "; run with --verbose to see what it said");
        return false;
    }
    if (line.report->exitStatus == kApplicationRunning) {
        line.outcome = AccountOutcome::running;
        line.error = line.report->error;
        return false;
    }
    return true;
}

// The account's outcome from the report of its run.
void judgeRun(AccountReport& line) {
    const JsonReport& report = *line.report;
    if (report.dryRun) {
        line.outcome = AccountOutcome::dryRun;
    } else if (report.exitStatus == kSucceeded) {
        line.outcome = AccountOutcome::removed;
    } else if (!report.outcome) {
        line.outcome = AccountOutcome::notRun; // refused: no home folder, cannot tell, ...
        line.error = report.error;
    } else if (AllUsersReport::remains(report).empty() &&
               AllUsersReport::keychainLookedAt(report) == false) {
        line.outcome = AccountOutcome::keychainNotLookedAt;
    } else {
        line.outcome = AccountOutcome::remains;
    }
}

// Why the shared steps may not run now; none when they may.
std::optional<std::string> sharedStepsBlocked(const AllUsersReport& report, bool someNamed,
                                              bool stopped) {
    if (stopped) {
        return "Stopped at your request.";
    }
    std::string running;
    std::string unfinished;
    for (const AccountReport& account : report.accounts) {
        std::string& list = account.outcome == AccountOutcome::running ? running : unfinished;
        if (account.outcome == AccountOutcome::running ||
            account.outcome == AccountOutcome::notRun ||
            account.outcome == AccountOutcome::stopped) {
            list += (list.empty() ? "" : ", ") + account.user;
        }
    }
    if (!running.empty()) {
        return "Tavrel is running for " + running + "; the bundles stay while it runs.";
    }
    if (!unfinished.empty()) {
        return "The run of " + unfinished +
               " did not finish, so Tavrel's helpers may still run from the bundles.";
    }
    if (someNamed) {
        return "Only the accounts named with --user were included; the bundles stay for the "
               "others.";
    }
    return std::nullopt;
}

int exitStatusOf(const AllUsersReport& report) {
    const auto any = [&](AccountOutcome outcome) {
        return std::any_of(
            report.accounts.begin(), report.accounts.end(),
            [outcome](const AccountReport& line) { return line.outcome == outcome; });
    };
    if (any(AccountOutcome::running) ||
        (report.shared && report.shared->exitStatus == kApplicationRunning)) {
        return kApplicationRunning;
    }
    const AccountOutcome done = report.dryRun ? AccountOutcome::dryRun : AccountOutcome::removed;
    const bool accountsDone =
        std::all_of(report.accounts.begin(), report.accounts.end(),
                    [done](const AccountReport& line) { return line.outcome == done; });
    const bool sharedDone =
        report.dryRun || (report.shared && AllUsersReport::remains(*report.shared).empty());
    return accountsDone && sharedDone ? kSucceeded : kFailed;
}

} // namespace

AllUsersReport AllUsersRun::run(std::ostream& out, int& stoppedBy) const {
    AllUsersReport report;
    report.version = options_.version;
    report.dryRun = options_.dryRun;
    const auto database = platform::AccountDatabase::all();
    if (!database.ok()) {
        report.error = "The accounts cannot be listed: " + database.error().localizedDescription() +
                       " Nothing was removed.";
        report.exitStatus = kFailed;
        return report;
    }
    const std::vector<Candidate> candidates = choose(*database, options_.users, report);
    if (!options_.yes && !options_.dryRun) {
        if (!ConfirmationPrompt::canAsk()) {
            report.error = "standard input is not a terminal, so no one can confirm; run with "
                           "--yes to remove Tavrel without asking.";
            report.exitStatus = kUsageError;
            report.accounts.clear(); // none was run
            return report;
        }
        out << "Tavrel and all its data will be removed from these accounts:";
        for (const Candidate& candidate : candidates) {
            out << ' ' << candidate.account.name;
        }
        out << (candidates.empty() ? " none" : "") << "\n";
        if (!ConfirmationPrompt::ask(std::cin, out,
                                     "Remove it from them, and its bundles from /Applications? "
                                     "[y/N] ")) {
            out << "Nothing was removed.\n";
            report.error = "Not confirmed; nothing was removed.";
            report.accounts.clear();
            return report;
        }
    }
    using platform::TerminationRequests;
    const int requests = TerminationRequests::watch(TerminationRequests::Second::endsProcess);
    const auto stopRequested = [&] {
        if (requests >= 0 && stoppedBy == 0) {
            stoppedBy = TerminationRequests::acknowledge(requests);
        }
        return stoppedBy != 0;
    };
    const auto stopLine = [](AccountReport& line) {
        line.outcome = AccountOutcome::stopped;
        line.error = "Not started: stopped at your request.";
    };

    // First the check in every account, so that none is run while the product runs for another:
    // its helpers would be stopped and its data removed, yet the bundles would have to stay.
    std::vector<const Candidate*> checked;
    for (const Candidate& candidate : candidates) {
        AccountReport& line = report.accounts[candidate.line];
        if (stopRequested()) {
            stopLine(line);
        } else if (runAccountProcess(candidate, line,
                                     {std::string(kAccountProcessOption) + "=" + kCheck},
                                     options_.verbose)) {
            if (line.report->exitStatus == kSucceeded) {
                line.report.reset(); // the run's report takes its place
                checked.push_back(&candidate);
            } else {
                line.outcome = AccountOutcome::notRun; // whether it runs cannot be told
                line.error = line.report->error;
            }
        }
    }
    std::vector<std::string> arguments{std::string(kAccountProcessOption) + "=" + kRun};
    if (options_.dryRun) {
        arguments.emplace_back("--dry-run");
    }
    if (options_.verbose) {
        arguments.emplace_back("--verbose");
    }
    for (const Candidate* candidate : checked) {
        AccountReport& line = report.accounts[candidate->line];
        if (stopRequested()) {
            stopLine(line);
        } else if (runAccountProcess(*candidate, line, arguments, options_.verbose)) {
            judgeRun(line);
        }
    }

    // Then root's part, last: the helpers run from the bundles, so the bundles go only once every
    // account's helpers are stopped, as in a run for one account.
    const UninstallFlow flow(platform::KeychainStore::system(), StepScope::shared);
    JsonReport& shared = report.shared.emplace();
    shared.version = options_.version;
    shared.user = platform::userName();
    shared.dryRun = options_.dryRun;
    shared.found = flow.survey();
    // In a dry run too: what a run would do with them.
    shared.error = sharedStepsBlocked(report, !options_.users.empty(), stopRequested());
    if (!shared.error && !options_.dryRun) {
        Logger::startUp(options_.verbose ? Logger::Terminal::shown : Logger::Terminal::omitted);
        UninstallFlow::Events events;
        events.stopRequested = stopRequested;
        const FlowResult result = flow.uninstall(events);
        logging::LogDispatcher::sharedInstance().flushLog();
        if (result.refusal) {
            shared.error = result.refusal->alert.messageText + " Nothing was removed.";
            shared.exitStatus = result.refusal->reason == Refusal::Reason::applicationRunning
                                    ? kApplicationRunning
                                    : kFailed;
        } else {
            shared.outcome = result.outcome;
            shared.remaining = result.remaining;
            shared.exitStatus = result.removed() ? kSucceeded : kFailed;
            if (result.outcome.stoppedBefore > 0) {
                shared.error = "Stopped at your request.";
            }
        }
    }
    report.exitStatus = exitStatusOf(report);
    report.print(out);
    out.flush();
    return report;
}

} // namespace tavrel::cli
