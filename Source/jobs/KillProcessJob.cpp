// Helper process termination, with its log lines.
#include "Source/jobs/KillProcessJob.hpp"

#include "Source/jobs/BundleScript.hpp"
#include "Source/scripts/AppleScript.hpp"
#include "Source/scripts/AppleScriptExecuteError.hpp"
#include "Source/scripts/AppleScriptUnknownError.hpp"
#include "logging/Log.hpp"

namespace tavrel::jobs {

namespace {

using logging::logError;
using logging::logInfo;

constexpr const char* kKill = "kill(_:)";
constexpr long long kNoneRunning = 1; // the script's exit status when no such process ran

} // namespace

ScriptJobResult KillProcessJob::kill(HelperProcess helper, const platform::AppleScriptHost& host) {
    logInfo(kKill, [&] { return "----- Kill " + processName(helper) + " process -----"; });
    const std::string script = scriptFileName(helper);
    const auto path = bundleResourcePath(script);
    if (!path) {
        logError(kKill, [&] { return "script file not found: " + script; });
        return ScriptJobResult::scriptMissing;
    }
    try {
        (void)AppleScript::run(shellScriptSource(*path), host);
    } catch (const AppleScriptExecuteError& error) {
        if (error.errorNumber() == kNoneRunning) {
            return ScriptJobResult::nothingToDo;
        }
        logError(kKill, error.description());
        throw;
    } catch (const AppleScriptUnknownError& error) {
        logError(kKill, error.description());
        throw;
    }
    logInfo(kKill, "done");
    return ScriptJobResult::done;
}

} // namespace tavrel::jobs
