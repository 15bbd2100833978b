// tavrel-uninstall: removes Tavrel and all its data from the current account, from a terminal.
#include "Source/run/Inventory.hpp"
#include "Source/app/Logger.hpp"
#include "Source/product/ProductIdentifiers.hpp"
#include "Source/run/Roots.hpp"
#include "Source/app/RunningAppCheck.hpp"
#include "Source/errors/RunningAppError.hpp"
#include "Source/run/Uninstaller.hpp"
#include "Source/cli/ConfirmationPrompt.hpp"
#include "Source/cli/InventoryPrinter.hpp"
#include "Source/cli/JsonReport.hpp"
#include "Source/cli/ProgressLine.hpp"
#include "Source/cli/SummaryPrinter.hpp"
#include "keychain/StatusOutput.hpp"
#include "logging/LogDispatcher.hpp"
#include "platform/ProcessSetup.hpp"
#include "platform/UserAccount.hpp"

#include <CLI/CLI.hpp>
#include <exception>
#include <iostream>
#include <optional>

namespace {

using tavrel::Inventory;

// Exit statuses; 64 is the usual "usage error" (EX_USAGE).
constexpr int kSucceeded = 0;
constexpr int kStepFailed = 1;
constexpr int kApplicationRunning = 2;
constexpr int kUsageError = 64;

constexpr const char* kDescription =
    "Removes Tavrel and all its data from this account: its keychain items, its login items,\n"
    "its running helper processes, the application bundles in /Applications, its Application\n"
    "Support folder, preference files, containers and group containers, its copy in the Trash\n"
    "and its user defaults. Refuses while Tavrel or Tavrel Authenticator is running.\n\n"
    "Exit status: 0 everything was removed (or was not there); 1 some step failed or something\n"
    "is still there after the run (listed); 2 a Tavrel application is running; 64 usage error\n"
    "or no confirmation possible.";

struct Options {
    bool yes = false;
    bool dryRun = false;
    bool json = false;
    bool verbose = false;
};

// Says `message` on standard error, and in the report when there is one.
int refuse(tavrel::cli::JsonReport& report, const std::string& message, int status) {
    std::cerr << "tavrel-uninstall: " << message << '\n';
    report.error = message;
    return status;
}

int uninstall(const Options& options, tavrel::cli::JsonReport& report) {
    // With --json, standard output holds the document and nothing else.
    std::ostream& out = options.json ? std::cerr : std::cout;
    if (options.json) {
        tavrel::keychain::setStatusOutput(std::cerr);
    }
    // Everything the run removes lies under the home folder or is named from it; without a
    // real home folder the run would act on the system's folders instead.
    const std::optional<tavrel::Roots> roots = tavrel::Roots::current();
    if (!roots) {
        return refuse(report,
                      "no usable home folder: HOME must be an absolute path to an existing folder "
                      "other than \"/\". Nothing was removed.",
                      kStepFailed);
    }
    report.home = roots->home;
    // Shown before the question, or in the report; a plain --yes run needs only the one after.
    if (!options.yes || options.dryRun || options.json) {
        report.found.emplace(Inventory::take(*roots));
    }
    if (options.dryRun) {
        tavrel::cli::InventoryPrinter::print(*report.found, out);
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
        tavrel::cli::InventoryPrinter::print(*report.found, out);
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
    try {
        for (const char* bundleID : tavrel::product::kRunningCheckIDs) {
            tavrel::checkNotRunning(bundleID);
        }
    } catch (const tavrel::RunningAppError& error) {
        log.flushLog();
        return refuse(report, error.alert().messageText + " Nothing was removed.",
                      kApplicationRunning);
    }
    // Log lines on the terminal would break a line rewritten in place.
    tavrel::cli::ProgressLine progress(
        std::cerr, !options.verbose && tavrel::cli::ProgressLine::terminalAttached());
    const tavrel::UninstallOutcome& outcome =
        report.outcome.emplace(tavrel::Uninstaller(*roots).uninstall([&](int step) {
            if (options.verbose) {
                log.flushLog(); // so that the step's line follows the lines of the one before
            }
            progress.show(step);
        }));
    log.flushLog();
    progress.finish();
    const Inventory& remaining = report.remaining.emplace(Inventory::take(*roots));
    tavrel::cli::SummaryPrinter::print(outcome, remaining, out);
    out.flush();
    return outcome.succeeded() && remaining.clean() ? kSucceeded : kStepFailed;
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
        app.set_version_flag("--version", "tavrel-uninstall " TAVREL_VERSION);
        try {
            app.parse(argc, argv);
        } catch (const CLI::ParseError& error) {
            const int status = app.exit(error); // prints help, version or the usage error
            return status == 0 ? kSucceeded : kUsageError;
        }
        tavrel::cli::JsonReport report;
        report.version = TAVREL_VERSION;
        report.user = tavrel::platform::userName();
        report.dryRun = options.dryRun;
        report.exitStatus = uninstall(options, report);
        if (options.json) {
            std::cout << report.document() << std::flush;
        }
        return report.exitStatus;
    } catch (const std::exception& error) {
        std::cerr << "tavrel-uninstall: " << error.what() << '\n';
        return kStepFailed;
    }
}
