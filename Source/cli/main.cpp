// tavrel-uninstall: removes Tavrel and all its data from the current account, from a terminal.
#include "Source/app/Logger.hpp"
#include "Source/app/UninstallFlow.hpp"
#include "Source/cli/AllUsersRun.hpp"
#include "Source/cli/ConfirmationPrompt.hpp"
#include "Source/cli/ExitStatus.hpp"
#include "Source/cli/InventoryPrinter.hpp"
#include "Source/cli/JsonReport.hpp"
#include "Source/cli/ProgressLine.hpp"
#include "Source/cli/SummaryPrinter.hpp"
#include "Source/run/Roots.hpp"
#include "keychain/StatusOutput.hpp"
#include "logging/LogDispatcher.hpp"
#include "platform/ProcessSetup.hpp"
#include "platform/TerminationRequests.hpp"
#include "platform/UserAccount.hpp"

#include <CLI/CLI.hpp>
#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace tavrel::cli::exit_status;

constexpr const char* kDescription =
    "Removes Tavrel and all its data from this account: its keychain items, its login items,\n"
    "its running helper processes, the application bundles in /Applications, its Application\n"
    "Support folder, preference files, containers and group containers, its copy in the Trash\n"
    "and its user defaults. Refuses while Tavrel or Tavrel Authenticator is running.\n\n"
    "Exit status: 0 everything was removed (or was not there); 1 some step failed or something\n"
    "is still there after the run (listed); 2 a Tavrel application is running; 64 usage error\n"
    "or no confirmation possible.\n\n"
    "With --all-users (root only) it does so for every account of this machine, each in a\n"
    "process with that account's rights only, then removes the bundles once; see the man page.";

struct Options {
    bool yes = false;
    bool dryRun = false;
    bool json = false;
    bool verbose = false;
    bool allUsers = false;
    std::vector<std::string> users;
    std::string accountProcess; // one account's part of --all-users: "check" or "run"
};

// The usage error `message`, said on standard error.
int usageError(const std::string& message) {
    std::cerr << "tavrel-uninstall: " << message << '\n';
    return kUsageError;
}

// Says `message` on standard error, and in the report when there is one.
int refuse(tavrel::cli::JsonReport& report, const std::string& message, int status) {
    std::cerr << "tavrel-uninstall: " << message << '\n';
    report.error = message;
    return status;
}

// The exit status of a refusal.
int statusOf(tavrel::Refusal::Reason reason) {
    return reason == tavrel::Refusal::Reason::applicationRunning ? kApplicationRunning : kFailed;
}

// `stoppedBy`: the termination request that stopped the run, 0 for none.
int uninstall(const Options& options, tavrel::cli::JsonReport& report, int& stoppedBy) {
    using tavrel::cli::InventoryPrinter;
    // With --json, standard output holds the document and nothing else.
    std::ostream& out = options.json ? std::cerr : std::cout;
    constexpr const char* kNoHomeFolder =
        "no usable home folder: HOME must be an absolute path to an existing folder other than "
        "\"/\". Nothing was removed.";
    // Everything the run removes lies under the home folder or is named from it; without a
    // real home folder the run would act on the system's folders instead.
    const std::optional<tavrel::Roots> roots = tavrel::Roots::current();
    if (!roots) {
        return refuse(report, kNoHomeFolder, kFailed);
    }
    report.home = roots->home;
    const tavrel::UninstallFlow flow(tavrel::platform::KeychainStore::system(),
                                     options.accountProcess.empty() ? tavrel::StepScope::every
                                                                    : tavrel::StepScope::account);
    if (options.accountProcess == tavrel::cli::AllUsersRun::kCheck) {
        // Only the check; what is there is looked at for the report only when it refuses.
        const auto refusal = tavrel::UninstallFlow::runningCheck();
        if (!refusal) {
            return kSucceeded;
        }
        report.found = flow.survey();
        return refuse(report, refusal->alert.messageText + " Nothing was removed.",
                      statusOf(refusal->reason));
    }
    // Shown before the question, or in the report; a plain --yes run needs only the one after.
    if (!options.yes || options.dryRun || options.json) {
        report.found = flow.survey();
        if (!report.found) {
            return refuse(report, kNoHomeFolder, kFailed);
        }
    }
    if (options.dryRun) {
        InventoryPrinter::print(*report.found, out);
        out << "Dry run: nothing was removed.\n";
        return kSucceeded;
    }
    if (!options.yes) {
        if (!tavrel::cli::ConfirmationPrompt::canAsk()) {
            return refuse(report,
                          "standard input is not a terminal, so no one can confirm; run with "
                          "--yes to remove Tavrel without asking.",
                          kUsageError);
        }
        InventoryPrinter::print(*report.found, out);
        if (report.found->clean()) {
            return kSucceeded;
        }
        if (!tavrel::cli::ConfirmationPrompt::ask(std::cin, out)) {
            out << "Nothing was removed.\n";
            report.error = "Not confirmed; nothing was removed.";
            return kSucceeded;
        }
    }
    tavrel::Logger::startUp(options.verbose ? tavrel::Logger::Terminal::shown
                                            : tavrel::Logger::Terminal::omitted);
    auto& log = tavrel::logging::LogDispatcher::sharedInstance();
    // Log lines on the terminal would break a line rewritten in place.
    tavrel::cli::ProgressLine progress(
        std::cerr, !options.verbose && tavrel::cli::ProgressLine::terminalAttached());
    tavrel::keychain::setStatusOutput(progress.clearingBefore(out));
    // Ctrl-C stops the run between two steps, so that the summary and the log tell what was
    // done; a second one ends the program at once.
    using tavrel::platform::TerminationRequests;
    const int requests = TerminationRequests::watch(TerminationRequests::Second::endsProcess);
    tavrel::UninstallFlow::Events events;
    events.stepStarted = [&](const tavrel::Step& step) {
        if (options.verbose) {
            log.flushLog(); // so that the step's line follows the lines of the one before
        }
        progress.show(step);
    };
    events.stopRequested = [&] {
        if (requests >= 0 && stoppedBy == 0) {
            stoppedBy = TerminationRequests::acknowledge(requests);
        }
        return stoppedBy != 0;
    };
    const tavrel::FlowResult result = flow.uninstall(events);
    log.flushLog();
    progress.finish();
    tavrel::keychain::setStatusOutput(out);
    if (const auto& refusal = result.refusal) {
        return refuse(report,
                      refusal->alert.messageText + " " +
                          refusal->alert.informativeText.value_or("") +
                          (refusal->alert.informativeText ? " " : "") + "Nothing was removed.",
                      statusOf(refusal->reason));
    }
    report.outcome = result.outcome;
    report.remaining = result.remaining;
    if (result.outcome.stoppedBefore > 0) {
        report.error = "Stopped at your request before step " +
                       std::to_string(result.outcome.stoppedBefore) + ".";
    }
    tavrel::cli::SummaryPrinter::print(result, out);
    out.flush();
    return result.removed() ? kSucceeded : kFailed;
}

} // namespace

int main(int argc, char** argv) {
    tavrel::platform::prepareProcess();
    try {
        CLI::App app(kDescription, "tavrel-uninstall");
        Options options;
        app.add_flag("-y,--yes", options.yes, "Remove without asking for confirmation");
        app.add_flag("-n,--dry-run", options.dryRun,
                     "Only show what would be removed; remove nothing");
        app.add_flag("--json", options.json,
                     "Write one JSON report to standard output, and nothing else there");
        app.add_flag("-v,--verbose", options.verbose, "Show the log lines on standard error too");
        app.add_flag("--all-users", options.allUsers,
                     "As root: remove Tavrel from every account of this machine, each account in "
                     "a process of its own with its rights only, then from /Applications");
        app.add_option("--user", options.users,
                       "With --all-users: only this account (may be given more than once)")
            ->type_name("NAME")
            ->expected(1)
            ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
        // Internal: what --all-users runs in each account's own process.
        app.add_option(tavrel::cli::AllUsersRun::kAccountProcessOption, options.accountProcess)
            ->check(
                CLI::IsMember({tavrel::cli::AllUsersRun::kCheck, tavrel::cli::AllUsersRun::kRun}))
            ->group("");
        app.set_version_flag("--version", "tavrel-uninstall " TAVREL_VERSION);
        try {
            app.parse(argc, argv);
        } catch (const CLI::ParseError& error) {
            const int status = app.exit(error); // prints help, version or the usage error
            return status == 0 ? kSucceeded : kUsageError;
        }
        if (!options.users.empty() && !options.allUsers) {
            return usageError("--user chooses among the accounts of --all-users; give both.");
        }
        if (options.allUsers && !options.accountProcess.empty()) {
            return usageError("--all-users cannot be one account's part of --all-users.");
        }
        if (options.allUsers && !tavrel::platform::isSuperuser()) {
            return usageError("--all-users is for root alone: it runs each account's removal as "
                              "that account. Run it with sudo, or run tavrel-uninstall without it "
                              "to remove Tavrel from your own account.");
        }
        if (options.allUsers) {
            int stoppedBy = 0;
            const tavrel::cli::AllUsersReport report =
                tavrel::cli::AllUsersRun(
                    {options.users, options.yes, options.dryRun, options.verbose, TAVREL_VERSION})
                    .run(options.json ? std::cerr : std::cout, stoppedBy);
            if (report.error) {
                std::cerr << "tavrel-uninstall: " << *report.error << '\n';
            }
            if (options.json) {
                std::cout << report.document() << std::flush;
            }
            if (stoppedBy != 0) {
                tavrel::platform::TerminationRequests::endAs(stoppedBy);
            }
            return report.exitStatus;
        }
        if (!options.accountProcess.empty()) {
            // Its report is read by the process that started it; nobody is there to answer.
            options.json = options.yes = true;
        }
        tavrel::cli::JsonReport report;
        report.version = TAVREL_VERSION;
        report.user = tavrel::platform::userName();
        report.dryRun = options.dryRun;
        int stoppedBy = 0;
        report.exitStatus = uninstall(options, report, stoppedBy);
        if (options.json) {
            std::cout << report.document() << std::flush;
        }
        if (stoppedBy != 0) {
            tavrel::logging::LogDispatcher::sharedInstance().flushLog();
            tavrel::platform::TerminationRequests::endAs(stoppedBy);
        }
        return report.exitStatus;
    } catch (const std::exception& error) {
        std::cerr << "tavrel-uninstall: " << error.what() << '\n';
        return kFailed;
    }
}
