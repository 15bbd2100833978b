// Login item removal, with its log lines.
#include "Source/jobs/LoginItemJob.hpp"

#include "Source/scripts/AppleScript.hpp"
#include "Source/scripts/AppleScriptExecuteError.hpp"
#include "Source/scripts/AppleScriptUnknownError.hpp"
#include "logging/Log.hpp"
#include "platform/CanonicalText.hpp"

#include <algorithm>

namespace tavrel::jobs {

namespace {

using logging::logError;
using logging::logInfo;

constexpr const char* kDisable = "disable(withAppName:)";
constexpr const char* kTellSystemEvents = "tell application \"System Events\" to ";
constexpr long long kNoSuchItem = -1728;

// The list as written in log lines: ["a", "b \"c\""].
std::string listDescription(const std::vector<std::string>& names) {
    std::string text = "[";
    for (const std::string& name : names) {
        text += text.size() > 1 ? ", " : "";
        text += Error::quoted(name);
    }
    return text + "]";
}

LoginItemResult failedDeletion(const Error& error, std::shared_ptr<const Error> copy) {
    logError(kDisable, error.description());
    return LoginItemResult{LoginItemResult::Outcome::deletionFailed, std::move(copy)};
}

} // namespace

LoginItemResult LoginItemJob::disable(const std::string& appName,
                                      const platform::AppleScriptHost& host) {
    logInfo(kDisable, "----- Disable Login Item -----");
    const std::vector<std::string> names = loginItemNames(host);
    logging::logDebug(kDisable, [&] { return "items: " + listDescription(names); });
    if (std::none_of(names.begin(), names.end(), [&](const std::string& name) {
            return platform::canonicallyEqual(name, appName);
        })) {
        logInfo(kDisable, [&] { return "\"" + appName + "\" not found"; });
        return LoginItemResult{LoginItemResult::Outcome::notFound, nullptr};
    }
    const std::string deletion =
        kTellSystemEvents + std::string("delete login item ") + AppleScript::stringLiteral(appName);
    try {
        (void)AppleScript::run(deletion, host);
    } catch (const AppleScriptExecuteError& error) {
        if (error.errorNumber() == kNoSuchItem) {
            return LoginItemResult{LoginItemResult::Outcome::notFound, nullptr};
        }
        return failedDeletion(error, std::make_shared<AppleScriptExecuteError>(error));
    } catch (const AppleScriptUnknownError& error) {
        return failedDeletion(error, std::make_shared<AppleScriptUnknownError>(error));
    }
    logInfo(kDisable, "done");
    return LoginItemResult{LoginItemResult::Outcome::removed, nullptr};
}

std::vector<std::string> LoginItemJob::loginItemNames(const platform::AppleScriptHost& host) {
    ScriptResult result =
        AppleScript::run(kTellSystemEvents + std::string("get the name of every login item"), host);
    if (auto* names = std::get_if<std::vector<std::string>>(&result)) {
        return std::move(*names);
    }
    return {};
}

} // namespace tavrel::jobs
