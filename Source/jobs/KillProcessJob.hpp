// Stops a running helper process of the product through its script.
#pragma once

#include "Source/jobs/HelperProcess.hpp"
#include "Source/jobs/ScriptJobResult.hpp"
#include "platform/AppleScriptHost.hpp"

namespace tavrel::jobs {

class KillProcessJob {
public:
    /// Writes the banner, then runs the helper's script (scriptFileName) from the uninstaller's
    /// resources on `host`. Returns done, after a "done" line, when the script exits 0;
    /// nothingToDo, with no line of its own, when it exits 1 (no such process ran); and
    /// scriptMissing, after an error line, when the resources lack the script. Any other
    /// failure is written as an error line with its description and thrown unchanged
    /// (AppleScriptExecuteError or AppleScriptUnknownError).
    static ScriptJobResult kill(HelperProcess helper, const platform::AppleScriptHost& host);
};

} // namespace tavrel::jobs
