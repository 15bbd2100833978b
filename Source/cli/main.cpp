// tavrel-uninstall: removes Tavrel and all its data from the current account, from a terminal.
#include "Source/Logger.hpp"
#include "Source/ProductIdentifiers.hpp"
#include "Source/Roots.hpp"
#include "Source/RunningAppCheck.hpp"
#include "Source/RunningAppError.hpp"
#include "Source/Uninstaller.hpp"
#include "Source/cli/ConfirmationPrompt.hpp"
#include "Source/cli/SummaryPrinter.hpp"
#include "logging/LogDispatcher.hpp"
#include "platform/ProcessSetup.hpp"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <exception>
#include <iostream>
#include <optional>

namespace {

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
    "Exit status: 0 everything was removed (or was not there); 1 some step failed (listed);\n"
    "2 a Tavrel application is running; 64 usage error or no confirmation possible.";

int run(bool confirmed) {
    // Everything the run removes lies under the home folder or is named from it; without a
    // real home folder the run would act on the system's folders instead.
    const std::optional<tavrel::Roots> roots = tavrel::Roots::current();
    if (!roots) {
        std::cerr << "tavrel-uninstall: no usable home folder: HOME must be an absolute path to an "
                     "existing folder other than \"/\". Nothing was removed.\n";
        return kStepFailed;
    }
    if (!confirmed) {
        if (!tavrel::cli::ConfirmationPrompt::canAsk()) {
            std::cerr
                << "tavrel-uninstall: standard input is not a terminal, so no one can confirm;"
                   " run with --yes to remove Tavrel without asking.\n";
            return kUsageError;
        }
        if (!tavrel::cli::ConfirmationPrompt::ask(std::cin, std::cout)) {
            std::cout << "Nothing was removed.\n";
            return kSucceeded;
        }
    }
    tavrel::Logger::startUp();
    try {
        for (const char* bundleID : tavrel::product::kRunningCheckIDs) {
            tavrel::checkNotRunning(bundleID);
        }
    } catch (const tavrel::RunningAppError& error) {
        tavrel::logging::LogDispatcher::sharedInstance().flushLog();
        std::cerr << "tavrel-uninstall: " << error.alert().messageText << " Nothing was removed.\n";
        return kApplicationRunning;
    }
    const tavrel::UninstallOutcome outcome = tavrel::Uninstaller(*roots).uninstall();
    // The log lines go before the summary, so the terminal reads in order.
    tavrel::logging::LogDispatcher::sharedInstance().flushLog();
    tavrel::cli::SummaryPrinter::print(outcome, std::cout);
    std::cout.flush();
    return outcome.succeeded() ? kSucceeded : kStepFailed;
}

} // namespace

int main(int argc, char** argv) {
    tavrel::platform::prepareProcess();
    try {
        CLI::App app(kDescription, "tavrel-uninstall");
        bool yes = false;
        app.add_flag("-y,--yes", yes, "Remove without asking for confirmation");
        app.set_version_flag("--version", "tavrel-uninstall " TAVREL_VERSION);
        try {
            app.parse(argc, argv);
        } catch (const CLI::ParseError& error) {
            const int status = app.exit(error); // prints help, version or the usage error
            return status == 0 ? kSucceeded : kUsageError;
        }
        return run(yes);
    } catch (const std::exception& error) {
        std::cerr << "tavrel-uninstall: " << error.what() << '\n';
        return kStepFailed;
    }
}
