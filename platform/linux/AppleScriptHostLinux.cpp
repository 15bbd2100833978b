// The AppleScript stand-in on Linux: parses exactly the forms the uninstaller composes and
// carries them out with /bin/sh and the XDG autostart entries.
#include "platform/AppleScriptHost.hpp"
#include "platform/linux/AutostartEntries.hpp"
#include "platform/linux/ScriptParser.hpp"
#include "platform/linux/ShellCommand.hpp"

#include <algorithm>

namespace tavrel::platform {

namespace {

using linux_desktop::AutostartEntries;
using linux_script::ScriptParser;
using linux_script::ShellCommand;
using Failure = AppleScriptHost::Failure;

// The system's numbers: a timed-out Apple event, a reference to nothing, an event that failed.
constexpr long long kTimedOut = -1712;
constexpr long long kNoSuchObject = -1728;
constexpr long long kEventFailed = -10000;

std::string withoutTrailingLineFeed(std::string text) {
    if (text.ends_with('\n')) {
        text.pop_back();
    }
    return text;
}

class LinuxScriptHost final : public AppleScriptHost {
public:
    explicit LinuxScriptHost(Settings settings) : settings_(std::move(settings)) {}

    [[nodiscard]] std::optional<Execution> execute(const std::string& source) const override {
        if (!ScriptParser::isScriptText(source)) {
            return std::nullopt;
        }
        const auto parsed = ScriptParser::parse(source);
        if (!parsed.ok()) {
            return Failure{ScriptParser::kCompileErrorNumber, parsed.error().message};
        }
        const ScriptParser::Command& command = *parsed;
        switch (command.kind) {
        case ScriptParser::Command::Kind::doShellScript:
            return doShellScript(command.argument);
        case ScriptParser::Command::Kind::loginItemNames:
            return loginItemNames();
        case ScriptParser::Command::Kind::deleteLoginItem:
            return deleteLoginItem(command.argument);
        }
        return std::nullopt;
    }

private:
    [[nodiscard]] Execution doShellScript(const std::string& command) const {
        ShellCommand::Run run = ShellCommand::run(command, settings_.shellTimeout);
        switch (run.ending) {
        case ShellCommand::Run::Ending::exited:
            if (run.code == 0) {
                // The script's rule: one trailing line feed goes, the others become returns.
                std::string text = withoutTrailingLineFeed(std::move(run.output));
                std::replace(text.begin(), text.end(), '\n', '\r');
                return ScriptDescriptor::text(std::move(text));
            }
            return Failure{run.code, failureMessage(std::move(run.errorOutput))};
        case ShellCommand::Run::Ending::signalled:
            // As a shell reports a command that a signal ended.
            return Failure{128 + run.code, failureMessage(std::move(run.errorOutput))};
        case ShellCommand::Run::Ending::timedOut:
            return Failure{kTimedOut, "AppleEvent timed out."};
        case ShellCommand::Run::Ending::notStarted:
            break;
        }
        return Failure{kEventFailed, "/bin/sh could not be started: " + errorText(run.code) + "."};
    }

    // Standard error, or the system's own words when the command wrote none.
    static std::string failureMessage(std::string errorOutput) {
        std::string message = withoutTrailingLineFeed(std::move(errorOutput));
        return message.empty() ? "The command exited with a non-zero status." : message;
    }

    [[nodiscard]] Execution loginItemNames() const {
        const auto listing = AutostartEntries::list(settings_.loginItemsFolder);
        if (!listing.ok()) {
            return Failure{kEventFailed, listing.error().localizedDescription()};
        }
        std::vector<ScriptDescriptor> items;
        items.reserve(listing->names.size());
        for (const auto& name : listing->names) {
            items.push_back(name ? ScriptDescriptor::text(*name)
                                 : ScriptDescriptor::missingValue());
        }
        return ScriptDescriptor::list(std::move(items));
    }

    [[nodiscard]] Execution deleteLoginItem(const std::string& name) const {
        const auto deleted = AutostartEntries::removeFirst(settings_.loginItemsFolder, name);
        if (!deleted.ok()) {
            return Failure{kEventFailed, deleted.error().localizedDescription()};
        }
        if (!*deleted) {
            return Failure{kNoSuchObject, "Can't get login item \"" + name + "\"."};
        }
        return ScriptDescriptor::missingValue(); // deleting gives no result
    }

    Settings settings_;
};

} // namespace

std::unique_ptr<AppleScriptHost> AppleScriptHost::make(Settings settings) {
    return std::make_unique<LinuxScriptHost>(std::move(settings));
}

Result<std::vector<FileError>>
AppleScriptHost::unreadableLoginItems(const std::string& loginItemsFolder) {
    auto listing = AutostartEntries::list(loginItemsFolder);
    if (!listing.ok()) {
        return listing.error();
    }
    return std::move(listing.value().unreadable);
}

} // namespace tavrel::platform
