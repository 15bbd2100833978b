// User defaults reset, with its log lines.
#include "Source/jobs/UserDefaultsJob.hpp"

#include "Source/errors/Error.hpp"
#include "Source/jobs/BundleScript.hpp"
#include "Source/scripts/AppleScript.hpp"
#include "logging/Log.hpp"

namespace tavrel::jobs {

ScriptJobResult UserDefaultsJob::reset(const platform::AppleScriptHost& host) {
    constexpr const char* kFunction = "reset()";
    logging::logInfo(kFunction, "----- Reset UserDefaults -----");
    const auto path = bundleResourcePath(kScriptFileName);
    if (!path) {
        return ScriptJobResult::scriptMissing;
    }
    try {
        (void)AppleScript::run(shellScriptSource(*path), host);
    } catch (const Error& error) {
        logging::logError(kFunction, error.description());
        throw;
    }
    logging::logInfo(kFunction, "done");
    return ScriptJobResult::done;
}

} // namespace tavrel::jobs
